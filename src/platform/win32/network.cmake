# network
