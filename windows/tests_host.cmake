# Windows tests: host
