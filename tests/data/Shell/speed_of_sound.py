# Reference speeds of sound for GlobalConfigTest (run once, values copied into the test).
import math
for t in [20, -20, 0, 25, -50, 60]:
    c = 331.36 * math.sqrt(1 + t / 273.15)
    print(t, math.floor(c * 10 + 0.5) / 10)
