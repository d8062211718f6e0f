// Built by the layer tests only: includes the header named by
// ZUMBRIK_PROBE_HEADER, with the links of the layer under test.
#include ZUMBRIK_PROBE_HEADER

int main() { return 0; }
