"""The lines of a text/event-stream turned into events, as a browser's EventSource reads them.

Shared by the LAN test's reader (tests/lan/sse_reader.py) and the readers of bench/web.
"""


class SseLines:
    """Feed it the stream's lines one by one (without their line break); feed() gives back
    (kind, id, data) when a line ends an event, ("retry", None, MS) for a retry line, else None.
    The id, as in a browser, stays that of the last event that named one."""

    def __init__(self):
        self.kind, self.ident, self.data = "message", None, []

    def feed(self, line):
        if not line:
            event = None
            if self.data:
                event = (self.kind, self.ident, "\n".join(self.data))
            self.kind, self.data = "message", []
            return event
        if line.startswith(":"):
            return None
        field, _, value = line.partition(":")
        value = value[1:] if value.startswith(" ") else value
        if field == "event":
            self.kind = value
        elif field == "id":
            self.ident = value
        elif field == "data":
            self.data.append(value)
        elif field == "retry" and value.isdigit():
            return ("retry", None, value)
        return None
