#!/usr/bin/env bash
# Makes resources/images/QRCode.svg: a QR code that encodes only the web site's address, drawn as
# dark modules on white with the four-module quiet zone. Needs qrencode (tools/install-deps.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
url="${1:-https://www.zerafin.example}"
out="$here/resources/images/QRCode.svg"
# Level M, 6 units per module; --svg-path draws the modules as one path, which renders crisply.
qrencode -t SVG --svg-path -l M -m 4 -s 6 --foreground=1F2430 --background=FFFFFF -o "$out" "$url"
# Five pixels per module at its natural size, so the picture lays out in pixels, not centimetres.
modules=$(sed -n 's/.*viewBox="0 0 \([0-9]*\) .*/\1/p' "$out")
sed -i "s/width=\"[^\"]*cm\" height=\"[^\"]*cm\"/width=\"$((modules * 5))\" height=\"$((modules * 5))\"/" "$out"
echo "wrote $out for $url"
