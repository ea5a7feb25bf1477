#!/usr/bin/env bash
# Seed corpora for the fuzz targets, made with the kvx tool of BUILD_DIR.
# Usage: tests/fuzz/make_corpus.sh BUILD_DIR OUT_DIR
set -euo pipefail
kvx="$1/bin/kvx"
out="$2"
mkdir -p "$out/scene_read" "$out/payload"
"$kvx" sample "$out/scene_read/sample.kvx"
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/stored.kvx" --no-compress
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/key16.kvx" --pass fuzz
"$kvx" convert "$out/scene_read/sample.kvx" "$out/scene_read/key7.kvx" --pass fuzz --key-bytes 7 --no-compress
# The payload target takes a version byte (43 - 13 = 30) before the payload.
{ printf '\x1e'; tail -c +9 "$out/scene_read/stored.kvx"; } > "$out/payload/sample-v43"
