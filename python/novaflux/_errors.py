"""The failure of a rating: the component's error number and its description."""


class RunError(RuntimeError):
    """A call of the component failed: ``number`` and ``description`` as the component gives them.

    Warnings of a completed run are not errors: they are the ``KivOutErrorCode`` and
    ``KivOutErrorMsg`` properties. ``result`` holds what the failed rating had written, when the
    failing call was :func:`novaflux.rate`.
    """

    def __init__(self, number, description, result=None):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.result = result

    def __str__(self):
        return f"{self.description} ({self.number})"

    def __reduce__(self):
        return (type(self), (self.number, self.description, self.result))


RunError.__module__ = "novaflux"


class WeatherFileError(ValueError):
    """A weather file that cannot be read: ``line`` and ``field`` where (0 when the defect is the
    file as a whole or the whole line), the message says what was wrong."""

    def __init__(self, message, line=0, field=0):
        super().__init__(message)
        self.line = line
        self.field = field

    def __reduce__(self):
        return (type(self), (str(self), self.line, self.field))


WeatherFileError.__module__ = "novaflux"
