# Shared by the benchmark scripts: `median COLUMN FILE` prints the median of
# one space-separated column of numbers.
median() {
    cut -d' ' -f"$1" "$2" | sort -n |
        awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
