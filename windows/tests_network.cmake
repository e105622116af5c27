# Windows tests: network
