// Replaced by the contact window sources.
