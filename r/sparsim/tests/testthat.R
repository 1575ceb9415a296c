library(testthat)
library(sparsim)
test_check("sparsim")
