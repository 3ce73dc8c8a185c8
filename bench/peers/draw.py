"""What a user might write instead of pivra: Python's secrets, one file of the same layout."""
import secrets
import time

random = secrets.SystemRandom()
separator = "=" * 23
lines = [separator]
for _ in range(10):
    numbers = list(range(1, 81))
    random.shuffle(numbers)
    for start in range(0, 80, 8):
        lines.append(" ".join("%02d" % v for v in sorted(numbers[start:start + 8])))
    lines.append(separator)
name = time.strftime("peer-%Y-%m-%d-%H-%M-%S") + str(time.perf_counter_ns()) + ".TXT"
with open(name, "w", newline="\r\n") as out:
    out.write("\n".join(lines) + "\n")
