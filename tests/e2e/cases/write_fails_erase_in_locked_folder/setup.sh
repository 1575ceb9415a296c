chmod 555 RO
