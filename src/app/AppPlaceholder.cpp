// Replaced by the application shell sources.
