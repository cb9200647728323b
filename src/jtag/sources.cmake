# Sources of src/jtag/ (none yet).
