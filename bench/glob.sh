#!/usr/bin/env bash
# The page as a shell loop writes it: bash globs over the four patterns.
shopt -s nullglob nocaseglob
{
  printf '%s' '<html><head></head><body>'
  for pattern in '*.jpg' '*.jpeg' '*.gif' '*.bmp'; do
    for name in $pattern; do printf '<img src="%s">' "$name"; done
  done
} > index.htm
