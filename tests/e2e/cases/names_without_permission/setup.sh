mkdir RO
touch RO/keep
chmod 000 LOCKED.ADF LOCKED.OUT
chmod 555 RO
