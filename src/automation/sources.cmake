# Sources of src/automation/ (none yet).
