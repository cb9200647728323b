# Sources of src/project/ (none yet).
