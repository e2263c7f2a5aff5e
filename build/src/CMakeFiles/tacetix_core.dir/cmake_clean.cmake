file(REMOVE_RECURSE
  "CMakeFiles/tacetix_core.dir/wave/Codecs.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/Codecs.cpp.o.d"
  "CMakeFiles/tacetix_core.dir/wave/FileHandle.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/FileHandle.cpp.o.d"
  "CMakeFiles/tacetix_core.dir/wave/LevelTime.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/LevelTime.cpp.o.d"
  "CMakeFiles/tacetix_core.dir/wave/PCMFileInput.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/PCMFileInput.cpp.o.d"
  "CMakeFiles/tacetix_core.dir/wave/PCMFileOutput.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/PCMFileOutput.cpp.o.d"
  "CMakeFiles/tacetix_core.dir/wave/RIFFFile.cpp.o"
  "CMakeFiles/tacetix_core.dir/wave/RIFFFile.cpp.o.d"
  "libtacetix_core.a"
  "libtacetix_core.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/tacetix_core.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
