# Windows tests: storage
