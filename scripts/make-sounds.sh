#!/bin/sh
# Renders the seven status sounds of src/resources/Sounds/ with sox, encodes
# them with lame (MPEG-1 Layer III, 44.1 kHz mono, 128 kbit/s CBR) and gives
# every file its fixed size in bytes: the clip is cut to as many frames as
# fit, and an ID3v2.3 tag (one TIT2 title frame plus zero padding) in front
# fills the rest exactly.
#
# Needs sox, lame and python3 (not part of the build): apt-get install sox lame
# Usage: scripts/make-sounds.sh [OUTPUT_DIR]   (default src/resources/Sounds)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/src/resources/Sounds}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
frame_seconds=$(python3 -c "print(1152 / $rate)")

# render NAME: writes $work/NAME.wav, the clip before cutting.
render() {
    s="sox -R -n -r $rate -c 1 -b 16 $work/$1.wav"
    case $1 in
    error)    # two low, falling tones with a buzz
        $s synth 0.45 square 392 gain -14 fade q 0.01 0.45 0.08 \
          : synth 0.12 sine 0 \
          : synth 0.9 square 262 gain -14 fade q 0.01 0.9 0.4 \
          : synth 0.5 sine 0 ;;
    warning)  # two mid tones, falling
        $s synth 0.3 sine 880 gain -6 fade q 0.01 0.3 0.08 \
          : synth 0.08 sine 0 \
          : synth 0.55 sine 660 gain -6 fade q 0.01 0.55 0.3 \
          : synth 0.5 sine 0 ;;
    normal)   # soft chime: a slow C major arpeggio, long decay
        $s synth 0.35 pluck 523.25 gain -6 \
          : synth 0.35 pluck 659.25 gain -6 \
          : synth 2.5 pluck 783.99 gain -6 fade q 0 2.5 2.0 \
          : synth 0.5 sine 0 ;;
    share)    # two short rising notes
        $s synth 0.18 sine 659.25 gain -6 fade q 0.01 0.18 0.05 \
          : synth 0.45 sine 987.77 gain -6 fade q 0.01 0.45 0.3 \
          : synth 0.3 sine 0 ;;
    success)  # rising triad, last note held
        $s synth 0.22 sine 523.25 gain -6 fade q 0.01 0.22 0.05 \
          : synth 0.22 sine 659.25 gain -6 fade q 0.01 0.22 0.05 \
          : synth 0.22 sine 783.99 gain -6 fade q 0.01 0.22 0.05 \
          : synth 1.4 sine 1046.5 gain -6 fade q 0.01 1.4 1.0 \
          : synth 0.5 sine 0 ;;
    data)     # three quick blips
        $s synth 0.07 sine 1318.5 gain -8 fade q 0.005 0.07 0.03 \
          : synth 0.06 sine 0 \
          : synth 0.07 sine 1318.5 gain -8 fade q 0.005 0.07 0.03 \
          : synth 0.06 sine 0 \
          : synth 0.25 sine 1760 gain -8 fade q 0.005 0.25 0.15 \
          : synth 1.0 sine 0 ;;
    snapshot) # shutter click: a very short burst of filtered noise
        $s synth 0.03 whitenoise gain -10 highpass 2000 fade q 0.001 0.03 0.02 \
          : synth 0.03 whitenoise gain -14 highpass 3000 fade q 0.001 0.03 0.025 \
          : synth 0.3 sine 0 ;;
    esac
}

# encode NAME FRAMES: cuts the clip to FRAMES MPEG frames of audio and
# encodes it; prints the size of the MP3 data.
encode() {
    seconds=$(python3 -c "print($2 * $frame_seconds)")
    sox -R "$work/$1.wav" "$work/$1-cut.wav" trim 0 "$seconds"
    lame --quiet -b 128 -m m --noreplaygain "$work/$1-cut.wav" "$work/$1.mp3"
    wc -c <"$work/$1.mp3"
}

# tag NAME SIZE: writes $out/NAME, the MP3 behind an ID3v2.3 tag that makes
# the file exactly SIZE bytes long.
tag() {
    python3 - "$work/$1.mp3" "$out/$1" "$2" "BasicsDLL $1" <<'EOF'
import sys
source, target, size, title = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
audio = open(source, "rb").read()
text = b"\x00" + title.encode("latin-1")          # ISO-8859-1 text
frame = b"TIT2" + len(text).to_bytes(4, "big") + b"\x00\x00" + text
padding = size - len(audio) - 10 - len(frame)
if padding < 0:
    sys.exit("%s: %d bytes of audio do not fit into %d" % (target, len(audio), size))
body = len(frame) + padding
syncsafe = bytes([(body >> 21) & 0x7F, (body >> 14) & 0x7F, (body >> 7) & 0x7F, body & 0x7F])
with open(target, "wb") as f:
    f.write(b"ID3\x03\x00\x00" + syncsafe + frame + b"\x00" * padding + audio)
EOF
}

# The sizes in bytes of the seven files.
for entry in error:31346 warning:21733 normal:49247 share:12538 success:36096 \
             data:18808 snapshot:2925; do
    name=${entry%%:*}
    size=${entry#*:}
    render "$name"
    # The largest number of frames whose MP3 still leaves room for the tag.
    room=$((size - 10 - 10 - 1 - ${#name} - 10))
    frames=$((room / 418))
    while [ "$(encode "$name" "$frames")" -gt "$room" ]; do
        frames=$((frames - 1))
    done
    tag "$name" "$size"
    echo "$name: $frames frames, $(wc -c <"$out/$name") bytes"
done
