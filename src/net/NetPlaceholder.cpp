// Replaced by the message format sources.
