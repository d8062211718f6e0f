#include "app/xm_tool/play_session.h"

#include "app/xm_tool/module_file.h"

namespace zumbrik {

namespace {

constexpr int kRedrawMs = 100;

// Plays the current file until something moves the session on.
PlayStep PlayOneSong(PlayControl& control, PlayTerminal& terminal) {
    std::vector<PlayKey> keys;
    for (;;) {
        keys.clear();
        terminal.WaitForKeys(kRedrawMs, keys);
        PlayStep step = PlayStep::Stay;
        for (PlayKey key : keys) {
            step = control.Act(key);
            if (step == PlayStep::ShowKeys) {
                // Over the status line, which goes on below.
                for (const std::string& line : KeyHelpLines(terminal.Columns())) {
                    terminal.ShowStatus(line);
                    terminal.EndStatusLine();
                }
                step = PlayStep::Stay;
            }
            if (step != PlayStep::Stay) break;
        }
        terminal.ShowStatus(FormatStatusLine(control.Status(), terminal.Columns()));
        if (terminal.QuitSignal() != 0) return PlayStep::Quit;
        if (step == PlayStep::Stay && control.SongOver()) step = PlayStep::NextFile;
        if (step != PlayStep::Stay) return step;
    }
}

}  // namespace

int RunPlayList(const PlayOptions& options, WaveDevice& device, PlayTerminal& terminal, std::ostream& err) {
    PlayList list(options.files.size());
    PlayControl control;
    while (!list.Finished() && terminal.QuitSignal() == 0) {
        switch (control.Start(options.files[list.Current()], device, options.loop, err)) {
            case PlayControl::Started::NoDevice: return 1;
            case PlayControl::Started::BadFile: list.SkipBad(); continue;
            case PlayControl::Started::Playing: break;
        }
        terminal.ShowStatus(FormatHeading(list.Current() + 1, options.files.size(),
                                          InputName(options.files[list.Current()]), control.Title(),
                                          terminal.Columns()));
        terminal.EndStatusLine();
        const PlayStep step = PlayOneSong(control, terminal);
        control.Finish();
        terminal.EndStatusLine();
        if (step == PlayStep::Quit) break;
        step == PlayStep::PreviousFile ? list.Previous() : list.Next();
    }
    if (const int signal = terminal.QuitSignal(); signal != 0) return 128 + signal;
    return list.AnyBad() ? 1 : 0;
}

}  // namespace zumbrik
