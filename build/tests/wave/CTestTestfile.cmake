# CMake generated Testfile for 
# Source directory: /work/main/tests/wave
# Build directory: /work/main/build/tests/wave
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/main/build/tests/wave/wave_tests[1]_include.cmake")
