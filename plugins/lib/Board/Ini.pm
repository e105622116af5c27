package Board::Ini;
# Board::Ini - the group settings file drwa_BBS.ini, read and written as the
# library does (Windows private-profile rules: section and key names without
# regard to case, the first section and key of a name win, values trimmed and
# stripped of one pair of enclosing quotes), and the "i" dialog run.
#
# API (exportable):
#   $INI                                 'drwa_BBS.ini' (in the group folder,
#                                        the plugin's working folder)
#   read_ini($path)                      { lc section => { lc key => value } };
#                                        an unreadable file gives {}
#   ini_value($ini, $section, $key)      the value, '' when absent
#   write_ini_values($path, $section, key => value, ...)
#                                        sets keys of one section, keeping
#                                        every other byte: existing keys keep
#                                        spelling and place, new ones follow
#                                        the section's last key; a missing
#                                        section is added at the end
#   write_dialog_section($plugin_file, $path)
#                                        the "i" run: the #[DIALOG] block of
#                                        the plugin's header written into the
#                                        [DIALOG] section; returns 0
#   set_read_position($path, $total)     PARAM2 (the host shows it as the
#                                        group's read position) set when it
#                                        changed; a failure only warns
#   interval_seconds($ini, $default_ms)  INTERVAL_MS of [BASIC] in seconds
#                                        (default 500 ms); fails 'bad_interval'
#                                        unless a whole number of ms
use strict;
use warnings;
use Exporter 'import';
use Board::Files qw(read_file write_file_atomic);
use Board::Messages qw(fail warning);

our @EXPORT_OK = qw($INI read_ini ini_value write_ini_values write_dialog_section set_read_position
                    interval_seconds);
our $INI = 'drwa_BBS.ini';

sub read_ini {
    my ($path) = @_;
    my (%ini, %seen);
    my $bytes = read_file($path) // return \%ini;
    my $section;
    for my $line (split /\r\n|\r|\n/, $bytes) {
        (my $t = $line) =~ s/^\s+|\s+$//g;
        if ($t =~ /^\[([^\]]*)/) {
            (my $name = $1) =~ s/^\s+|\s+$//g;
            $section = $seen{lc $name}++ ? undef : lc $name;
            next;
        }
        next if !defined $section || $t eq '' || $t =~ /^;/;
        my $eq = index($line, '=');
        next if $eq < 0;
        (my $key = substr($line, 0, $eq)) =~ s/^\s+|\s+$//g;
        (my $value = substr($line, $eq + 1)) =~ s/^\s+|\s+$//g;
        $value = $1 if $value =~ /^"(.*)"\z/s;
        $ini{$section}{lc $key} //= $value;
    }
    return \%ini;
}

sub ini_value {
    my ($ini, $section, $key) = @_;
    return $ini->{lc $section}{lc $key} // '';
}

sub write_ini_values {
    my ($path, $section, @pairs) = @_;
    my $bytes = read_file($path) // '';
    my $eol   = $bytes =~ /(\r?\n)/ ? $1 : "\r\n";
    my @lines = split /\r\n|\r|\n/, $bytes;

    my ($start, $end);
    for my $i (0 .. $#lines) {
        if ($lines[$i] =~ /^\s*\[([^\]]*)/) {
            (my $name = $1) =~ s/^\s+|\s+$//g;
            if (defined $start) { $end = $i; last }
            $start = $i if lc $name eq lc $section;
        }
    }
    if (!defined $start) {
        push @lines, "[$section]";
        $start = $#lines;
    }
    $end //= scalar @lines;

    while (@pairs) {
        my ($key, $value) = splice @pairs, 0, 2;
        my ($found, $last_key);
        for my $i ($start + 1 .. $end - 1) {
            my $t = $lines[$i];
            next if $t =~ /^\s*(;|$)/;
            my $eq = index($t, '=');
            next if $eq < 0;
            $last_key = $i;
            (my $name = substr($t, 0, $eq)) =~ s/^\s+|\s+$//g;
            if (lc $name eq lc $key) { $found = $i; last }
        }
        if (defined $found) {
            $lines[$found] = substr($lines[$found], 0, index($lines[$found], '=') + 1) . $value;
        } else {
            my $at = defined $last_key ? $last_key + 1 : $start + 1;
            splice @lines, $at, 0, "$key=$value";
            $end++;
        }
    }
    write_file_atomic($path, join('', map { "$_$eol" } @lines));
}

sub write_dialog_section {
    my ($plugin_file, $path) = @_;
    $path //= $INI;
    my $text = read_file($plugin_file) // fail('file_error', $plugin_file, "$!");
    my ($block) = $text =~ /^#\[DIALOG\][ \t]*\r?\n(.*?)^#\[\/DIALOG\]/ims;
    fail('no_dialog') unless defined $block;
    my @pairs;
    for my $line (split /\r?\n/, $block) {
        $line =~ s/^\s+|\s+$//g;
        $line =~ s/^#//;
        for my $part (split /\\n/i, $line) {
            my ($k, $v) = split /=/, $part, 2;
            push @pairs, $k, $v if defined $v && $k ne '';
        }
    }
    write_ini_values($path, 'DIALOG', @pairs);
    return 0;
}

sub set_read_position {
    my ($path, $total) = @_;
    my $old = ini_value(read_ini($path), 'BASIC', 'PARAM2');
    return if $old eq $total;
    eval { write_ini_values($path, 'BASIC', PARAM2 => $total); 1 }
      or warning('param2_error', $path);
}

sub interval_seconds {
    my ($ini, $default_ms) = @_;
    my $interval = ini_value($ini, 'BASIC', 'INTERVAL_MS');
    $interval = $default_ms // 500 if $interval eq '';
    fail('bad_interval', $interval) unless $interval =~ /^\d{1,6}\z/;
    return $interval / 1000;
}

1;
