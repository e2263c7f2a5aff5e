# Empty compiler generated dependencies file for tacetix_core.
# This may be replaced when dependencies are built.
