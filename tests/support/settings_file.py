"""The settings files of the tests' accounts, as Python tests change them."""


def set_keys(path, section, **values):
    """Sets keys of a Shift_JIS settings file, adding the ones it lacks."""
    with open(path, "rb") as f:
        lines = f.read().decode("cp932").split("\r\n")
    start = lines.index("[" + section + "]") + 1
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("[")), len(lines))
    for key, value in values.items():
        at = next((i for i in range(start, end) if lines[i].startswith(key + "=")), None)
        if at is None:
            lines.insert(end, f"{key}={value}")
            end += 1
        else:
            lines[at] = f"{key}={value}"
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp932"))
