biofilters_unit_test(norbel_test norbel/norbel_test.cc)
