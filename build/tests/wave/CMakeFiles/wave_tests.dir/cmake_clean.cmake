file(REMOVE_RECURSE
  "CMakeFiles/wave_tests.dir/CodecTest.cpp.o"
  "CMakeFiles/wave_tests.dir/CodecTest.cpp.o.d"
  "wave_tests"
  "wave_tests.pdb"
  "wave_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/wave_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
