# Shared by the benchmark scripts (sourced): timing of whole commands, medians of samples kept
# by name, ratios and the result table's rows.
median() { sort -g | awk '{v[NR]=$1} END {if (NR == 0) print "nan"; else if (NR % 2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", b - a}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "nan"}'; }
# The value of KEY=value lines on standard input.
key() { sed -n "s/^$1=//p"; }
declare -A samples
add() { samples[$1]+="$2"$'\n'; }
med() { printf '%s' "${samples[$1]:-}" | grep -v '^$' | median; }
# Wall seconds of a command that must succeed.
wall() { local t0 t1; t0=$(now); "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; t1=$(now); elapsed "$t0" "$t1"; }
# Frames that ffprobe counts in the first video stream.
frame_count() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
row() { printf '| %s | %s | %s | %s | %s |\n' "$@"; }
