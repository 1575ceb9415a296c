mkdir SUB.ADF OUT.OUT
touch SUB.ADF/keep OUT.OUT/keep
