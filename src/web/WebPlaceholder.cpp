// Replaced by the web server sources.
