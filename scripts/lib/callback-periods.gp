# make bench's picture for one buffer size: how the time between buffer switches spread, the
# floor (raw stream probe) and the driver (check host) overlaid, idle and under load.
# Called with: out (bench folder), frames, period_us.
period = period_us / 1000.0
set terminal pngcairo size 1200,520 font "Liberation Sans,10"
set output sprintf("%s/callback-periods-%d.png", out, frames)
set multiplot layout 1,2 title sprintf("Time between buffer switches at %d frames (%.3f ms), 10 us buckets", frames, period)
set xlabel "period (ms)"
set ylabel "switches"
set logscale y
set xrange [0:4 * period]
set yrange [0.8:*]
set grid
set key top right
set arrow 1 from period, graph 0 to period, graph 1 nohead dashtype 2 linecolor rgb "#555555"
set label 1 "buffer period" at period, graph 0.96 offset 0.5,0 textcolor rgb "#555555"
do for [condition in "idle loaded"] {
    set title (condition eq "idle" ? "idle" : "2 busy loops at nice 10")
    plot sprintf("%s/periods-%d-%s-floor.txt", out, frames, condition) using ($1 / 1000.0):2 with points \
             pointtype 7 pointsize 0.5 linecolor rgb "#1f77b4" title "floor (raw stream probe)", \
         sprintf("%s/periods-%d-%s-driver.txt", out, frames, condition) using ($1 / 1000.0):2 with points \
             pointtype 7 pointsize 0.5 linecolor rgb "#d62728" title "driver (check host)"
}
unset multiplot
