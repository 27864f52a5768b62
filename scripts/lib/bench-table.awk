# The streaming table of make bench: one block per buffer size, the floor (raw stream probe)
# and the driver (check host) side by side for each condition, with the driver/floor ratio.
# Several runs per cell: counts are summed, CPU averaged, the clock lateness p99 given as the
# median of the runs with the worst beside it. Input: runs.txt lines "frames condition kind round switches missed late cpu_us underruns
# slips clock_lateness_p99_ms round_trip_frames"; the merged period distributions are read
# from out/periods-FRAMES-CONDITION-KIND.txt ("microseconds count", 10 us buckets).
function key(f, c, k) { return f SUBSEP c SUBSEP k }
# p99 and maximum of a merged distribution, in ms, into p99[k] and top[k]
function distribution(f, c, k,    file, line, n, us, count, total, seen, i, wanted) {
  file = out "/periods-" f "-" c "-" k ".txt"
  n = 0; total = 0
  while ((getline line < file) > 0) {
    split(line, part, " ")
    n++; us[n] = part[1]; count[n] = part[2]; total += part[2]
  }
  close(file)
  p99[key(f, c, k)] = -1; top[key(f, c, k)] = -1
  if (total == 0) return
  wanted = total - int(total / 100); seen = 0
  for (i = 1; i <= n; i++) {
    seen += count[i]
    if (seen >= wanted) { p99[key(f, c, k)] = (us[i] + 5) / 1000; break }
  }
  top[key(f, c, k)] = (us[n] + 5) / 1000
}
# median and worst of the runs' clock lateness p99 (one run's hiccup shows in the worst)
function lateness_of(k,    n, i, j, v, t) {
  n = runs[k]
  for (i = 1; i <= n; i++) v[i] = lateness[k, i]
  for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
  latenessMedian[k] = n == 0 ? -1 : (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2)
  latenessWorst[k] = n == 0 ? -1 : v[n]
}
function ratio(driver, floor) {
  if (driver < 0 || floor < 0) return "-"
  if (floor == 0) return driver == 0 ? "1.00" : "inf"
  return sprintf("%.2f", driver / floor)
}
function row(label, format, values_floor_idle, values_driver_idle, values_floor_loaded, values_driver_loaded) {
  printf "  %-26s", label
  printf " %9s %9s %6s", sprintf(format, values_floor_idle), sprintf(format, values_driver_idle),
         ratio(values_driver_idle, values_floor_idle)
  printf "   %9s %9s %6s\n", sprintf(format, values_floor_loaded), sprintf(format, values_driver_loaded),
         ratio(values_driver_loaded, values_floor_loaded)
}
{
  k = key($1, $2, $3)
  if (!($1 in seenSize)) { seenSize[$1] = 1; sizes[++sizeCount] = $1 }
  runs[k]++
  switches[k] += $5; missed[k] += $6; late[k] += $7
  if ($8 >= 0) { cpu[k] += $8; cpuRuns[k]++ }
  underruns[k] += $9; slips[k] += $10; lateness[k, runs[k]] = $11
  # a run that started with a host underrun plays everything a buffer later: say so beside it
  if ($3 == "driver" && $12 > 0) trips[$1, $2] = trips[$1, $2] " " $12 ($9 > 0 ? "(" $9 " underruns)" : "")
}
END {
  for (s = 1; s <= sizeCount; s++) {
    f = sizes[s]
    for (ci = 1; ci <= 2; ci++) {
      c = ci == 1 ? "idle" : "loaded"
      for (ki = 1; ki <= 2; ki++) {
        kk = ki == 1 ? "floor" : "driver"
        k = key(f, c, kk)
        distribution(f, c, kk)
        expected = switches[k] + missed[k]
        missedPct[k] = expected > 0 ? 100 * missed[k] / expected : -1
        latePct[k] = switches[k] > 0 ? 100 * late[k] / switches[k] : -1
        cpuMean[k] = cpuRuns[k] > 0 ? cpu[k] / cpuRuns[k] : -1
        lateness_of(k)
      }
    }
    printf "\n%d frames (%.3f ms)%s\n", f, f / 48, ""
    printf "  %-26s %9s %9s %6s   %9s %9s %6s\n", "", "floor", "driver", "ratio", "floor", "driver", "ratio"
    printf "  %-26s %26s   %26s\n", "", "idle", "2 busy loops (nice 10)"
    fi_ = key(f, "idle", "floor"); di = key(f, "idle", "driver")
    fl = key(f, "loaded", "floor"); dl = key(f, "loaded", "driver")
    row("switches", "%d", switches[fi_], switches[di], switches[fl], switches[dl])
    row("missed %", "%.2f", missedPct[fi_], missedPct[di], missedPct[fl], missedPct[dl])
    row("late %", "%.2f", latePct[fi_], latePct[di], latePct[fl], latePct[dl])
    row("callback period p99 ms", "%.3f", p99[fi_], p99[di], p99[fl], p99[dl])
    row("callback period max ms", "%.3f", top[fi_], top[di], top[fl], top[dl])
    row("clock lateness p99 ms", "%.3f", latenessMedian[fi_], latenessMedian[di], latenessMedian[fl], latenessMedian[dl])
    row("  worst run's p99 ms", "%.3f", latenessWorst[fi_], latenessWorst[di], latenessWorst[fl], latenessWorst[dl])
    row("host underruns (mixer)", "%d", underruns[fi_], underruns[di], underruns[fl], underruns[dl])
    row("clock slips (mixer)", "%d", slips[fi_], slips[di], slips[fl], slips[dl])
    row("CPU us per switch", "%.1f", cpuMean[fi_], cpuMean[di], cpuMean[fl], cpuMean[dl])
    printf "  round trip of each driver run, frames: idle%s; loaded%s\n", trips[f, "idle"] == "" ? " none" : trips[f, "idle"],
           trips[f, "loaded"] == "" ? " none" : trips[f, "loaded"]
  }
}
