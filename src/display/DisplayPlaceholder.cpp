// Replaced by the display window sources.
