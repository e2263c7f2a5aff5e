file(REMOVE_RECURSE
  "libtacetix_testsupport.a"
)
