// Replaced by the display and contact log sources.
