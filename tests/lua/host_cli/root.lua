console.print("ran")
