// Replaced by the web settings dialog sources.
