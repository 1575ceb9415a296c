ln -s site.adf LINK.ADF
ln site.adf HARD.ADF
