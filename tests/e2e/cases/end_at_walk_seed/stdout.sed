# The seed comes from the clock: mask its value.
s/Random Seed: -\{0,1\}[0-9][0-9]*/Random Seed: (clock)/
