"""Fault injection and the request log of the test server (driven through /__test/)."""
import threading

FOREVER = -1

# Every key a fault may carry, with its default; the names match the C++ fixture's Fault struct.
FAULT_DEFAULTS = {
    "endpoint": "*", "times": 1, "delaySeconds": 0.0,
    "status": 0, "emptyBody": False, "subsonicError": False, "errorCode": 70,
    "errorMessage": "The requested data was not found", "body": None,
    "contentType": "", "chunked": False, "dropAfterBytes": -1, "throttleBytesPerSecond": 0,
    "stall": False,
}

REQUEST_LOG_LIMIT = 10000


def type_fits(default, key, value):
    if key == "body":
        return value is None or isinstance(value, str)
    if isinstance(default, bool) or isinstance(value, bool):
        return isinstance(default, bool) and isinstance(value, bool)
    if isinstance(default, float):
        return isinstance(value, (int, float))
    return isinstance(value, type(default))


def parse_fault(data):
    """A fault dict from its JSON form, with defaults filled in; raises ValueError on bad input."""
    if not isinstance(data, dict):
        raise ValueError("a fault is a JSON object")
    unknown = set(data) - set(FAULT_DEFAULTS)
    if unknown:
        raise ValueError("unknown fault keys: %s" % ", ".join(sorted(unknown)))
    fault = dict(FAULT_DEFAULTS)
    for key, value in data.items():
        if not type_fits(FAULT_DEFAULTS[key], key, value):
            raise ValueError("fault key %s has the wrong type" % key)
        fault[key] = value
    if fault["times"] == 0 or fault["times"] < FOREVER:
        raise ValueError("times must be positive or -1 (forever)")
    return fault


class FaultBook:
    """Queued faults; each request takes the first one that matches its endpoint."""

    def __init__(self):
        self.lock = threading.Lock()
        self.faults = []
        self.cleared = threading.Condition(self.lock)
        self.clears = 0  # how many times the faults were cleared; stalled requests wait for it

    def add(self, faults):
        with self.lock:
            self.faults.extend(faults)

    def clear(self):
        with self.lock:
            self.faults = []
            self.clears += 1
            self.cleared.notify_all()

    def stall(self, fault):
        """Holds a request taken under a stall fault until the faults are next cleared."""
        with self.lock:
            self.cleared.wait_for(lambda: self.clears != fault["clears"])

    def list(self):
        with self.lock:
            return [dict(f) for f in self.faults]

    def take(self, endpoint):
        with self.lock:
            for fault in self.faults:
                if fault["endpoint"] in ("*", endpoint):
                    if fault["times"] != FOREVER:
                        fault["times"] -= 1
                        if fault["times"] == 0:
                            self.faults.remove(fault)
                    return dict(fault, clears=self.clears)
        return None


class RequestLog:
    def __init__(self):
        self.lock = threading.Lock()
        self.entries = []

    def add(self, entry):
        with self.lock:
            self.entries.append(entry)
            del self.entries[:-REQUEST_LOG_LIMIT]

    def clear(self):
        with self.lock:
            self.entries = []

    def list(self):
        with self.lock:
            return list(self.entries)
