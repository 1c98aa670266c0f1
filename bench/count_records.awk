# The peer of the job benchmark: counts OK and NG records per Setting File and
# per Machine (Write Board) ID, with fields split as the record parser splits
# them (a run of commas is one separator; leading and trailing commas vanish).
# The header line of each file is skipped, as are lines of fewer than six
# fields. Dates are not tested: the benchmark's range covers every record.
#
#   mawk -f count_records.awk FILE...
#
# Prints "OK n", "NG n", then one line per key: "S|B <tab> key <tab> ok <tab> ng".

BEGIN { FS = ",+" }

FNR == 1 { next }

{
    if (/\r$/) sub(/\r$/, "")
    if (/^,|,$/) { sub(/^,+/, ""); sub(/,+$/, "") }
    if (NF < 6) next
    if ($7 == "OK") {
        ok++; sfOk[$3]++; idOk[$5]++; sfNg[$3] += 0; idNg[$5] += 0
    } else {
        ng++; sfNg[$3]++; idNg[$5]++; sfOk[$3] += 0; idOk[$5] += 0
    }
}

END {
    print "OK", ok + 0
    print "NG", ng + 0
    for (k in sfOk) printf "S\t%s\t%d\t%d\n", k, sfOk[k], sfNg[k]
    for (k in idOk) printf "B\t%s\t%d\t%d\n", k, idOk[k], idNg[k]
}
