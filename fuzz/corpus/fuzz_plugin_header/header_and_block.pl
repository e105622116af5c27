#!/usr/bin/perl
# Ver 1.23 (remark)
# for TestBoard
# by someone
use strict;
#[DIALOG]
#URL=1\n_URL=x
#L000=T,A,caption
#[/DIALOG]
