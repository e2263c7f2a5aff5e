file(REMOVE_RECURSE
  "libtacetix_core.a"
)
