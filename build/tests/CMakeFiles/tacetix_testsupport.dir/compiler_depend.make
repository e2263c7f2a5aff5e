# Empty compiler generated dependencies file for tacetix_testsupport.
# This may be replaced when dependencies are built.
