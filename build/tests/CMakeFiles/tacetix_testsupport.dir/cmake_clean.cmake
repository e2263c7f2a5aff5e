file(REMOVE_RECURSE
  "CMakeFiles/tacetix_testsupport.dir/support/TestSupport.cpp.o"
  "CMakeFiles/tacetix_testsupport.dir/support/TestSupport.cpp.o.d"
  "libtacetix_testsupport.a"
  "libtacetix_testsupport.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/tacetix_testsupport.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
