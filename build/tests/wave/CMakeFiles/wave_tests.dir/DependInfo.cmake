
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/wave/CodecTest.cpp" "tests/wave/CMakeFiles/wave_tests.dir/CodecTest.cpp.o" "gcc" "tests/wave/CMakeFiles/wave_tests.dir/CodecTest.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/tests/CMakeFiles/tacetix_testsupport.dir/DependInfo.cmake"
  "/work/main/build/src/CMakeFiles/tacetix_core.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
