// Replaced by the member monitor window sources.
