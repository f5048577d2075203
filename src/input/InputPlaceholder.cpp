// Replaced by the input window sources.
