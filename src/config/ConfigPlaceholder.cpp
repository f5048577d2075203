// Replaced by the settings store sources.
