"""bench_serve: khapi serve under load.  1, 2, 4 and 8 clients at once,
each sending goforward to /v1/assess again and again for SECONDS, against
1 and then 2 workers: requests a second, median and 99th-percentile
latency, failures, and the resident memory of each worker.

    python3 bench/bench_serve.py build/bin/khapi [SECONDS]

Exits 1 when a request failed, or when 2 workers do not serve 1.7 times
the requests of 1 (on a machine of two cores or more).
"""
import concurrent.futures
import os
import sys
import time
import urllib.parse

KHAPI = os.path.abspath(sys.argv[1])
SECONDS = float(sys.argv[2]) if len(sys.argv) > 2 else 8.0
os.environ.setdefault("KHAPI", KHAPI)
os.environ.setdefault("TESTDATA", "/usr/share/pocketsphinx/test/data")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "serve"))
from service import GOFORWARD_TEXT, Service, goforward_samples, wav  # noqa: E402

BODY = wav(goforward_samples())
PATH = "/v1/assess?text=" + urllib.parse.quote(GOFORWARD_TEXT)


def client(service, until):
    """Latencies of the requests that succeeded, and the failures."""
    latencies, failures = [], 0
    while time.monotonic() < until:
        start = time.monotonic()
        try:
            status, _, _ = service.request("POST", PATH, BODY, {"Content-Type": "audio/wav"})
        except OSError:
            status = 0
        if status == 200:
            latencies.append(time.monotonic() - start)
        else:
            failures += 1
    return latencies, failures


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p / 100 * len(ordered)))] if ordered else float("nan")


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def measure(service, clients):
    with concurrent.futures.ThreadPoolExecutor(clients) as pool:
        # One request each first: the first decode of a worker warms its caches.
        list(pool.map(lambda _: service.request("POST", PATH, BODY, {"Content-Type": "audio/wav"}), range(clients)))
        start = time.monotonic()
        results = list(pool.map(lambda _: client(service, start + SECONDS), range(clients)))
        elapsed = time.monotonic() - start
    latencies = [t for r in results for t in r[0]]
    failures = sum(r[1] for r in results)
    return len(latencies) / elapsed, latencies, failures


def main():
    print("%7s %7s %8s %8s %8s %8s %8s %12s" %
          ("workers", "clients", "requests", "req/s", "p50 ms", "p99 ms", "failures", "RSS/worker"))
    best, failed = {}, 0
    for workers in (1, 2):
        service = Service("--workers", str(workers), "--queue", "64")
        try:
            for clients in (1, 2, 4, 8):
                rps, latencies, failures = measure(service, clients)
                rss = max(rss_mb(pid) for pid in service.workers())
                print("%7d %7d %8d %8.2f %8.0f %8.0f %8d %9.0f MB" %
                      (workers, clients, len(latencies), rps, 1000 * percentile(latencies, 50),
                       1000 * percentile(latencies, 99), failures, rss), flush=True)
                best[workers] = max(best.get(workers, 0), rps)
                failed += failures
        finally:
            service.stop()
            service.close()
    ratio = best[2] / best[1]
    print("2 workers serve %.2fx the requests a second of 1 (best of each)" % ratio)
    enough = ratio >= 1.7 or (os.cpu_count() or 1) < 2
    return 0 if failed == 0 and enough else 1


if __name__ == "__main__":
    sys.exit(main())
