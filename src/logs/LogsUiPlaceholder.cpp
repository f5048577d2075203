// Replaced by the log viewer sources.
