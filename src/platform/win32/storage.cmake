# storage
