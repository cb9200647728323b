#pragma once
// Small BSDL texts shared by the parser and loading tests.

// The three-cell example device: two instructions and BYPASS, a control cell, a
// tristate output under it (with a trailing comment) and an input.
inline constexpr const char* kDemoChip =
    "entity DEMO_CHIP is\n"
    "  attribute TAP_SCAN_IN    of TDI : signal is true;\n"
    "  attribute TAP_SCAN_CLOCK of TCK : signal is (1.00e+06, BOTH);\n"
    "  attribute INSTRUCTION_LENGTH of DEMO_CHIP : entity is 2;\n"
    "  attribute INSTRUCTION_OPCODE of DEMO_CHIP : entity is\n"
    "     \"EXTEST (00),\" &\n"
    "     \"SAMPLE (01),\" &\n"
    "     \"BYPASS (11)\";\n"
    "  attribute BOUNDARY_LENGTH of DEMO_CHIP : entity is 3;\n"
    "  attribute BOUNDARY_REGISTER of DEMO_CHIP : entity is\n"
    "     \"2 (BC_1, *, CONTROL, 1),\" &\n"
    "     \"1 (BC_1, PA0, OUTPUT3, X, 2, 1, Z),\" &  -- pad A0\n"
    "     \"0 (BC_1, PA1, INPUT, X)\";\n"
    "end DEMO_CHIP;\n";
