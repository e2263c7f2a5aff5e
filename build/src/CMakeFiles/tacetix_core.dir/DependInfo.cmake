
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/src/wave/Codecs.cpp" "src/CMakeFiles/tacetix_core.dir/wave/Codecs.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/Codecs.cpp.o.d"
  "/work/main/src/wave/FileHandle.cpp" "src/CMakeFiles/tacetix_core.dir/wave/FileHandle.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/FileHandle.cpp.o.d"
  "/work/main/src/wave/LevelTime.cpp" "src/CMakeFiles/tacetix_core.dir/wave/LevelTime.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/LevelTime.cpp.o.d"
  "/work/main/src/wave/PCMFileInput.cpp" "src/CMakeFiles/tacetix_core.dir/wave/PCMFileInput.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/PCMFileInput.cpp.o.d"
  "/work/main/src/wave/PCMFileOutput.cpp" "src/CMakeFiles/tacetix_core.dir/wave/PCMFileOutput.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/PCMFileOutput.cpp.o.d"
  "/work/main/src/wave/RIFFFile.cpp" "src/CMakeFiles/tacetix_core.dir/wave/RIFFFile.cpp.o" "gcc" "src/CMakeFiles/tacetix_core.dir/wave/RIFFFile.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
