# Windows tests: mail
