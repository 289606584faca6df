#!/usr/bin/env bash
# The page as find writes it: one find per pattern, in the folder's own order.
{
  printf '%s' '<html><head></head><body>'
  for pattern in '*.jpg' '*.jpeg' '*.gif' '*.bmp'; do
    find . -maxdepth 1 -iname "$pattern" -printf '<img src="%f">'
  done
} > index.htm
