# Sources of src/bscan/ (none yet).
