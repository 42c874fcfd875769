return "helper from 03"
