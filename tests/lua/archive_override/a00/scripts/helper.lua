return "helper from 00"
