# Windows tests: processes
