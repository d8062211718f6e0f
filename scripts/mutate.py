#!/usr/bin/env python3
"""Mutation score of the player's tests.

Applies one small mutation at a time to the sources under player/, every
folder deep (an operator, a constant +-1, a removed statement, a negated if),
rebuilds what the mutant touches plus one test program at a time, runs the
player's test programs with a time limit and fail-fast, and counts the mutant
killed as soon as one fails. Needs python3, ninja, cmake and the project's
build packages; not part of CI (the default sample takes an hour or more on two
cores). Run through scripts/mutate.sh.

Every mutant ends in one of four verdicts:
- not built here: the compiler of this processor never sees the change. Each
  translation unit of the build (compile_commands.json of the Debug build) is
  preprocessed once with its own command and -E; a mutant is preprocessed the
  same way, in the units that are the mutated file or include it. If every
  such unit comes out identical, the code the compiler gets is unchanged:
  another architecture's kernel set, a branch of an #if this build leaves
  out, a macro nobody expands. Counted apart, like a stillborn mutant.
- stillborn: the mutant does not compile. Counted apart.
- killed: a test program fails (or runs past its time limit). A mutant that
  survives the Debug programs is built once more in a build of its own with
  AddressSanitizer and UndefinedBehaviorSanitizer (BUILD-asan) and runs the
  same programs there; it is killed when a sanitizer reports an error (an
  out-of-bounds access a plain build gets away with). Such kills are counted
  and marked; --no-sanitizer leaves that step out.
- survived: none of the above.
The score is killed / (killed + survived).

The sample is deterministic: the files are taken in the order of their paths,
every site in a file is enumerated in source order, and each file draws its
share with a generator seeded by the seed and the file's path, so the same
sources give the same mutants on every run. --recheck takes an earlier run's
verdicts and runs only its survivors and the mutants it lacks: those of a run
cut short, and those of a file changed since (its sites moved, so its draw is
a new one). Sound when tests were only added and no other change altered what
the program does: a mutant killed then is killed now.
"""
import argparse
import fnmatch
import hashlib
import json
import os
import random
import re
import shlex
import signal
import subprocess
import sys
import time
from pathlib import Path

# The XM writer builds modules for the tests and the tool; it plays nothing.
SKIPPED_FILES = {"xm_writer.cpp", "xm_writer.h"}

# Programs in the order they are tried (the cheapest killers first), with the
# cases left out: real-module corpus, sound devices, and cases of many seconds.
PROGRAMS = [
    ("golden_render_test", ""),
    ("player_test", ""),
    ("hostile_modules_test", ""),
    ("xm_tool_test", ""),
    ("compose_theme_test", ""),
    ("module_player_test", "-MusicExitTest.*"),
]

# A sanitizer's report stops the program with a failure, and says so in these words.
SANITIZER_ENV = {
    "ASAN_OPTIONS": "halt_on_error=1:abort_on_error=0:detect_leaks=1:exitcode=23",
    "UBSAN_OPTIONS": "halt_on_error=1:print_stacktrace=1:exitcode=23",
}
SANITIZER_REPORT = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer")

SWAPS = {
    "ror": [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "),
            (" != ", " == ")],
    "aor": [(" + ", " - "), (" - ", " + "), (" * ", " / "), (" / ", " * "), (" % ", " / "), (" << ", " >> "),
            (" >> ", " << "), (" & ", " | "), (" | ", " & "), (" += ", " -= "), (" -= ", " += ")],
    "lcr": [(" && ", " || "), (" || ", " && ")],
}
LITERAL = re.compile(r"(?<![\w.])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.])")
DATA_LINE = re.compile(r"^[\s\d,{}\-]*;?$")
ASSIGNMENT = re.compile(r"^[\w.\->\[\]*()]+ (=|\+=|-=|\*=|/=|\|=|&=|\^=|<<=|>>=) ")
CALL = re.compile(r"^[\w:.\->]+\(.*\);$")
STEP = re.compile(r"^(\+\+|--)[\w.\->\[\]]+;$|^[\w.\->\[\]]+(\+\+|--);$")
IF_LINE = re.compile(r"^if \(.*\) [^{]*;$")
KEYWORDS = ("return", "break", "continue", "case", "default", "const", "constexpr", "static", "using",
            "namespace", "struct", "class", "enum", "typedef", "template", "auto", "inline", "extern")
LINE_MARKER = re.compile(rb'^# \d+ "([^"]+)"', re.M)


def strip_code(text):
    """The text with comments and string/char literals blanked, same length."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out[i:j] = " " * (j - i)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out[i:j] = [c if c == "\n" else " " for c in text[i:j]]
            i = j
        elif text[i] in "\"'":
            quote, j = text[i], i + 1
            while j < n and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            out[i + 1:j] = " " * (j - i - 1)
            i = j + 1
        else:
            i += 1
    return "".join(out)


def matching_paren(line, open_index):
    depth = 0
    for k in range(open_index, len(line)):
        if line[k] == "(":
            depth += 1
        elif line[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def sites_of(path, rel):
    """Every mutation of the file: dicts with line, col, old, new, kind."""
    text = path.read_text()
    # Sites are found in the code with its comments and literals blanked, and
    # their text taken from the source itself, where apply() finds it again.
    source_lines = text.split("\n")
    code_lines = strip_code(text).split("\n")
    sites = []
    previous_end = "{"
    for number, line in enumerate(code_lines, 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#") or "static_assert" in stripped:
            continue
        starts_statement = previous_end in "{;}:"
        previous_end = stripped[-1]
        for kind, swaps in SWAPS.items():
            for old, new in swaps:
                for m in re.finditer(re.escape(old), line):
                    sites.append(dict(line=number, col=m.start(), old=old, new=new, kind=kind))
        if not DATA_LINE.match(stripped) and len(LITERAL.findall(line)) < 6:  # tables are data
            for m in LITERAL.finditer(line):
                value = int(m.group(1), 0)
                text_value = m.group(1)
                for changed in (value + 1, value - 1):
                    if changed < 0:
                        continue
                    new = (hex(changed) if text_value.lower().startswith("0x") else str(changed)) + m.group(2)
                    sites.append(dict(line=number, col=m.start(), old=m.group(0), new=new, kind="crp"))
        indent = len(line) - len(line.lstrip())
        if starts_statement and not stripped.startswith(KEYWORDS) and (
                ASSIGNMENT.match(stripped) or CALL.match(stripped) or STEP.match(stripped) or IF_LINE.match(stripped)):
            sites.append(dict(line=number, col=indent, old=source_lines[number - 1][indent:indent + len(stripped)],
                              new=";", kind="sdl"))
        for m in re.finditer(r"\bif \(", line):
            close = matching_paren(line, m.end() - 1)
            if close > 0:
                condition = source_lines[number - 1][m.end():close]
                sites.append(dict(line=number, col=m.end(), old=condition, new="!(" + condition + ")", kind="neg"))
    for site in sites:
        site["file"] = rel
    return sites


def all_sites(root):
    """Sites of every source under player/, at any depth, in the order of their paths."""
    files = sorted((p for p in (root / "player").rglob("*")
                    if p.is_file() and p.suffix in (".cpp", ".h") and p.name not in SKIPPED_FILES),
                   key=lambda p: p.relative_to(root).as_posix())
    return {p.relative_to(root).as_posix(): sites_of(p, p.relative_to(root).as_posix()) for p in files}


def sample(by_file, count, seed):
    """Each file's share of `count` (at least one site per file with any)."""
    total = sum(len(s) for s in by_file.values())
    if count <= 0 or count >= total:
        return [s for sites in by_file.values() for s in sites]
    chosen = []
    for rel, sites in by_file.items():
        if not sites:
            continue
        share = max(1, round(count * len(sites) / total))
        rng = random.Random(f"{seed}:{rel}")
        picked = sorted(rng.sample(range(len(sites)), min(share, len(sites))))
        chosen.extend(sites[i] for i in picked)
    return chosen


def apply(text, site):
    lines = text.split("\n")
    line = lines[site["line"] - 1]
    col = site["col"]
    if line[col:col + len(site["old"])] != site["old"]:
        raise RuntimeError(f"site moved: {site}")
    lines[site["line"] - 1] = line[:col] + site["new"] + line[col + len(site["old"]):]
    return "\n".join(lines)


def describe(site):
    return (f'{site["file"]}:{site["line"]}:{site["col"] + 1}  [{site["kind"]}] '
            f'{site["old"].strip()!r} -> {site["new"].strip()!r}')


class Preprocessor:
    """What the compiler of this build sees of each translation unit, to tell a
    mutant it never sees (not built here) from one it compiles."""

    def __init__(self, build):
        self.units = []  # (source, directory, argument list for -E)
        for entry in json.loads((build / "compile_commands.json").read_text()):
            self.units.append((os.path.realpath(entry["file"]), entry["directory"], self.preprocess_only(entry)))
        self.clean = {}  # unit index -> (digest, files it reads)

    @staticmethod
    def preprocess_only(entry):
        args = entry.get("arguments") or shlex.split(entry["command"])
        out, skip = [], False
        for arg in args:
            if skip:
                skip = False
            elif arg in ("-o", "-MF", "-MT", "-MQ"):
                skip = True
            elif arg not in ("-c", "-MD", "-MMD"):
                out.append(arg)
        return out + ["-E"]

    def run(self, index):
        source, directory, args = self.units[index]
        done = subprocess.run(args, cwd=directory, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if done.returncode != 0:
            return None, set()
        files = {os.path.realpath(os.path.join(directory, m.decode()))
                 for m in set(LINE_MARKER.findall(done.stdout)) if not m.startswith(b"<")}
        return hashlib.sha256(done.stdout).hexdigest(), files

    def survey(self, root):
        """Preprocesses every unit of the clean tree once; run before any mutant is applied."""
        prefix = str(root) + os.sep
        for index, (source, _, _) in enumerate(self.units):
            if source.startswith(prefix) and os.sep + "_deps" + os.sep not in source:
                self.clean[index] = self.run(index)

    def built(self, path):
        """False when no unit that reads `path` (as it is on disk now) comes out changed."""
        path = os.path.realpath(path)
        # The file's own unit first, then the player's units: a change in a header shows there soonest.
        readers = sorted((i for i, (_, files) in self.clean.items() if path in files),
                         key=lambda i: (self.units[i][0] != path, "/player/" not in self.units[i][0]))
        for index in readers:
            if self.run(index)[0] != self.clean[index][0]:
                return True
        return False


class Runner:
    def __init__(self, root, build, timeout_floor, configure, env=None, sanitizer=False):
        self.root, self.build, self.configure = root, build, configure
        self.env = dict(os.environ, CCACHE_DIR=str(build / "ccache"), CCACHE_MAXSIZE="2G", **(env or {}))
        self.timeout_floor = timeout_floor
        self.sanitizer = sanitizer
        self.programs = []  # (target, filter, time limit)

    def ninja(self, *targets):
        return subprocess.run(["ninja", "-C", str(self.build), *targets], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True).returncode == 0

    def run(self, target, gfilter, limit):
        """(passed, a sanitizer reported) of one program."""
        exe = next(self.build.glob(f"tests/**/{target}"))
        args = [str(exe), "--gtest_fail_fast", "--gtest_brief=1"]
        if gfilter:
            args.append("--gtest_filter=" + gfilter)
        try:
            done = subprocess.run(args, cwd=self.build, env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=limit)
        except subprocess.TimeoutExpired:
            return False, False
        reported = self.sanitizer and SANITIZER_REPORT.search(done.stdout.decode(errors="replace")) is not None
        return done.returncode == 0, reported

    def calibrate(self):
        """Configures and builds the clean programs; sets each one's time limit from a clean run."""
        subprocess.run(["cmake", "-S", str(self.root), "-B", str(self.build), "-G", "Ninja",
                        "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld",
                        "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON", *self.configure],
                       check=True, stdout=subprocess.DEVNULL, env=self.env)
        for target, gfilter in PROGRAMS:
            if not self.ninja(target):
                print(f"(no program {target} in {self.build.name}: left out)")
                continue
            start = time.monotonic()
            if not self.run(target, gfilter, 1200)[0]:
                sys.exit(f"{target} fails on the unmutated sources in {self.build.name}: fix that first")
            took = time.monotonic() - start
            limit = max(self.timeout_floor, 5 * took)
            self.programs.append((target, gfilter, limit))
            print(f"{self.build.name}/{target}: {took:.1f} s clean, limit {limit:.0f} s", flush=True)

    def verdict(self):
        """killed / survived / stillborn for the sources as they are now, the program that
        decided, and whether a sanitizer's report did."""
        unreported = None
        for target, gfilter, limit in self.programs:
            if not self.ninja(target):
                return ("survived" if self.sanitizer else "stillborn"), target, False
            passed, reported = self.run(target, gfilter, limit)
            if not passed and (reported or not self.sanitizer):
                return "killed", target, reported
            if not passed:
                unreported = unreported or f"{target} failed with no sanitizer report"
        return "survived", unreported, False


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent)
    parser.add_argument("--build", type=Path, help="build folder (default ROOT/build-mutate)")
    parser.add_argument("--sample", type=int, default=300, help="mutants drawn (0: every mutant)")
    parser.add_argument("--seed", default="13")
    parser.add_argument("--timeout", type=float, default=20, help="least time limit per program, seconds")
    parser.add_argument("--only", help="draw only from the files whose path (player/...) matches this pattern")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--no-sanitizer", action="store_true",
                        help="survivors of the Debug programs are not run again under the sanitizers")
    parser.add_argument("--results", type=Path, help="JSON lines of every verdict (default BUILD/mutants.jsonl)")
    parser.add_argument("--recheck", type=Path,
                        help="results of an earlier run of the same seed, whole or cut short: its survivors "
                             "and the mutants it lacks run, the rest keep their verdict")
    args = parser.parse_args()
    root = args.root.resolve()
    build = (args.build or root / "build-mutate").resolve()
    by_file = all_sites(root)
    if args.only:
        by_file = {rel: sites for rel, sites in by_file.items() if fnmatch.fnmatch(rel, args.only)}
    mutants = sample(by_file, args.sample, args.seed)
    print(f"{len(mutants)} mutants of {sum(len(s) for s in by_file.values())} sites "
          f"in {sum(1 for s in by_file.values() if s)} files (seed {args.seed})", flush=True)
    earlier = {}
    if args.recheck:
        for line in args.recheck.read_text().splitlines():
            verdict = json.loads(line)
            earlier[describe(verdict)] = verdict
        missing = sum(1 for s in mutants if describe(s) not in earlier)
        if missing:
            print(f"{missing} mutants of this sample are not in {args.recheck}: they run now", flush=True)
    if args.list:
        for site in mutants:
            print(describe(site))
        return

    runner = Runner(root, build, args.timeout, ["-DCMAKE_BUILD_TYPE=Debug"])
    runner.calibrate()
    sanitized = None if args.no_sanitizer else Runner(
        root, build.with_name(build.name + "-asan"), args.timeout,
        ["-DCMAKE_BUILD_TYPE=Debug", "-DZUMBRIK_SANITIZE=address,undefined"], SANITIZER_ENV, sanitizer=True)
    if sanitized:
        sanitized.calibrate()
    preprocessor = Preprocessor(build)
    preprocessor.survey(root)

    originals = {}

    def restore(*_):
        for path, text in originals.items():
            path.write_text(text)
        originals.clear()

    def interrupted(*_):
        restore()
        sys.exit("interrupted: sources restored")

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)
    counts = {"killed": 0, "survived": 0, "stillborn": 0, "not built": 0}
    by_sanitizer, survivors = [], []
    results = open(args.results or build / "mutants.jsonl", "w")
    try:
        for index, site in enumerate(mutants, 1):
            before = earlier.get(describe(site))
            if before and before["outcome"] != "survived":
                outcome, by, reported = before["outcome"], before["by"], before.get("sanitizer", False)
                if reported:
                    by_sanitizer.append(site)
            else:
                path = root / site["file"]
                text = path.read_text()
                originals[path] = text
                path.write_text(apply(text, site))
                try:
                    if not preprocessor.built(path):
                        outcome, by, reported = "not built", None, False
                    else:
                        outcome, by, reported = runner.verdict()
                        if outcome == "survived" and sanitized:
                            outcome, by, reported = sanitized.verdict()
                            if reported:
                                by = "sanitizer: " + by
                                by_sanitizer.append(site)
                finally:
                    restore()
                print(f"[{index}/{len(mutants)}] {outcome:9} {describe(site)}" + (f"  ({by})" if by else ""),
                      flush=True)
            counts[outcome] += 1
            if outcome == "survived":
                survivors.append(site)
            results.write(json.dumps(dict(site, outcome=outcome, by=by, sanitizer=reported)) + "\n")
            results.flush()
    finally:
        restore()
        results.close()
        runner.ninja(*[p[0] for p in runner.programs])  # leave the folders built from the clean sources
        if sanitized:
            sanitized.ninja(*[p[0] for p in sanitized.programs])
    print("\nKilled by a sanitizer's report:")
    for site in by_sanitizer:
        print("  " + describe(site))
    print("\nSurvivors:")
    for site in survivors:
        print("  " + describe(site))
    live = counts["killed"] + counts["survived"]
    score = 100.0 * counts["killed"] / live if live else 0.0
    print(f"\nkilled {counts['killed']} ({len(by_sanitizer)} by a sanitizer), survived {counts['survived']}, "
          f"stillborn {counts['stillborn']}, not built here {counts['not built']} (neither counted): "
          f"score {score:.1f} %")


if __name__ == "__main__":
    main()
