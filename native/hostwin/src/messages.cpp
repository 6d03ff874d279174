// Window messages: filled in with the Tovrik work.
