# The frame benchmark's plot: frame time against the number of enemies, with the floors, for the
# hero standing and running. Called by `make bench` as
#   gnuplot -e "data='frames.dat'; picture='frame_times.png'" bench/frame_times.gp
set terminal pngcairo size 1200,520 font "sans,10"
set output picture
set multiplot layout 1,2 title "Ghoulrun: time per frame (median of the repetitions)"
set xlabel "enemies in play (N)"
set ylabel "ms per frame"
set key top left
set grid
set xrange [0:10500]
set yrange [0:*]
sixty = 1000.0 / 60
do for [panel = 0:1] {
    column = 2 + 4 * panel
    set title (panel == 0 ? "hero standing" : "hero running")
    plot data using 1:(column(column)) with linespoints lw 2 pt 7 title "frame", \
         data using 1:(column(column + 1)) with linespoints dt 2 pt 5 title "floor: drawing, one core", \
         data using 1:(column(column + 2)) with linespoints dt 3 pt 9 title "floor: drawing, two cores", \
         data using 1:(column(column + 3)) with linespoints dt 4 pt 11 title "floor: crowding chain", \
         sixty with lines lc rgb "gray" dt 5 title "60 fps"
}
unset multiplot
