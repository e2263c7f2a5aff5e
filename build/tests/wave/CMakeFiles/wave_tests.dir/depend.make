# Empty dependencies file for wave_tests.
# This may be replaced when dependencies are built.
