package Board::Articles;
# Board::Articles - what a board plugin hands the library: the article file
# (BASE.cm$), the posts' dates in local time, replies threaded under the post
# they answer; and the plugin's own state file.
#
# API (exportable):
#   parse_zone($text, $default)   a zone setting ("+09:00", "-0500", "+9",
#                                 "UTC"; '' gives $default) as seconds east of
#                                 UTC; fails 'bad_timezone'
#   board_time($text, $zone)      the first "YYYY/MM/DD ... HH:MM[:SS]" (two-
#                                 digit years 20YY) in a board's date text,
#                                 in the board's zone, as epoch seconds; undef
#                                 without both or for a date no calendar has
#   post_date($text, $zone)       the same date as the library wants it, in
#                                 the machine's local time: ('YYYY/MM/DD',
#                                 'HH:MM:SS'); without a usable date the text
#                                 is passed on as it stands ('' for a part
#                                 missing) and the library takes the current one
#   anchor_target($line, $no)     the post number a line opening with an
#                                 anchor (">>3", ">3-5", full-width ＞＞３)
#                                 answers, when it is an earlier post than $no;
#                                 else undef
#   record(%f)                    one article record as a list of lines:
#                                 number, parent ('' for none), date, time,
#                                 title, name, mail, id (optional, "I:" line),
#                                 body => [lines]; one-line fields have their
#                                 control characters blanked
#   write_article_file($base, $title, \@records, $template)
#                                 BASE.cm$ with "#T:$title", "#P:$template"
#                                 (default 'LIB': replies come back to the
#                                 plugin as post requests); a file the library
#                                 did not convert yet is kept and a record
#                                 whose number it holds is not added twice
#   read_state($path, $url)       the rows (array refs of tab-separated
#                                 fields) of a state file whose first line is
#                                 "URL<TAB>$url"; () for none or another URL
#   write_state($path, $url, @rows)
#                                 writes it (CR LF), only when it changed
use strict;
use warnings;
use re '/aa';
use Exporter 'import';
use Time::Local ();
use Board::Files qw(read_file write_file_atomic);
use Board::Messages qw(fail);

our @EXPORT_OK = qw(parse_zone board_time post_date anchor_target record write_article_file read_state write_state);

sub parse_zone {
    my ($z, $default) = @_;
    $z = $default // '+09:00' if !defined $z || $z eq '';
    return 0 if $z =~ /^(?:Z|UTC|GMT)\z/i;
    if ($z =~ /^(?:UTC|GMT)?([+-])(\d{1,2})(?::?(\d{2}))?\z/i && $2 <= 14 && ($3 // 0) < 60) {
        return ($1 eq '-' ? -1 : 1) * ($2 * 3600 + ($3 // 0) * 60);
    }
    fail('bad_timezone', $z);
}

sub date_parts {
    my ($s) = @_;
    my ($y, $mo, $d) = $s =~ m{(\d{2,4})/(\d{1,2})/(\d{1,2})};
    my ($h, $mi, $sec) = $s =~ /(\d{1,2}):(\d{2})(?::(\d{2}))?/;
    $y += 2000 if defined $y && $y < 100;
    return ($y, $mo, $d, $h, $mi, $sec // 0);
}

sub board_time {
    my ($s, $zone) = @_;
    my ($y, $mo, $d, $h, $mi, $sec) = date_parts($s);
    return undef unless defined $y && defined $h;
    my $t = eval { Time::Local::timegm($sec, $mi, $h, $d, $mo - 1, $y) };
    return defined $t ? $t - $zone : undef;
}

sub post_date {
    my ($s, $zone) = @_;
    my ($y, $mo, $d, $h, $mi, $sec) = date_parts($s);
    my $t = board_time($s, $zone);
    if (defined $t) {
        my @l = localtime $t;
        return (sprintf('%04d/%02d/%02d', $l[5] + 1900, $l[4] + 1, $l[3]), sprintf('%02d:%02d:%02d', @l[2, 1, 0]));
    }
    return (defined $y ? sprintf('%04d/%02d/%02d', $y, $mo, $d) : '', defined $h ? sprintf('%02d:%02d:%02d', $h, $mi, $sec) : '');
}

sub anchor_target {
    my ($line, $no) = @_;
    return undef unless $line =~ /^[ \t]*(?:>|\x81\x84){1,2}[ \t]*((?:\d|\x82[\x4f-\x58])+)/;
    (my $digits = $1) =~ s/\x82([\x4f-\x58])/chr(ord($1) - 0x4f + 0x30)/ge;
    my $target = $digits =~ /^0*(\d{1,9})\z/ ? $1 + 0 : 0;
    return $target >= 1 && $target < $no ? $target : undef;
}

sub one_line {
    my ($s) = @_;
    $s //= '';
    $s =~ tr/\x00-\x1f\x7f/ /;
    return $s;
}

sub record {
    my (%f) = @_;
    my @body = @{$f{body} // []};
    my @r = ('S:' . join(',', map { one_line($f{$_}) } qw(number parent date time)),
             'T:' . one_line($f{title}),
             'N:' . one_line($f{name}),
             'E:' . one_line($f{mail}));
    push @r, 'I:' . one_line($f{id}) if defined $f{id} && $f{id} ne '';
    push @r, 'M:' . (shift(@body) // ''), @body, '.';
    return \@r;
}

sub write_article_file {
    my ($base, $title, $records, $template) = @_;
    my $path = "$base.cm\$";
    my @lines = ('#T:' . one_line($title), '#P:' . ($template // 'LIB'));
    my %have;
    if (-e $path) {
        my $old = read_file($path) // fail('file_error', $path, "$!");
        my @old = split /\r\n|\r|\n/, $old;
        shift @old while @old && $old[0] =~ /^#/;
        my $in_body = 0;
        for (@old) {
            if ($in_body) { $in_body = 0 if $_ eq '.' }
            elsif (/^S:([^,]*)/) { $have{$1} = 1 }
            elsif (/^M:/) { $in_body = 1 }
        }
        push @lines, @old;
    }
    for my $r (@$records) {
        my ($number) = $r->[0] =~ /^S:([^,]*)/;
        push @lines, @$r unless $have{$number}++;
    }
    write_file_atomic($path, join('', map { "$_\r\n" } @lines));
}

sub read_state {
    my ($path, $url) = @_;
    my $bytes = read_file($path) // return ();
    my @lines = split /\r\n|\r|\n/, $bytes;
    my $head = shift(@lines) // '';
    return () unless $head eq "URL\t$url";
    return map { [split /\t/, $_, -1] } grep { $_ ne '' } @lines;
}

sub write_state {
    my ($path, $url, @rows) = @_;
    my $text = join '', map { join("\t", map { $_ // '' } @$_) . "\r\n" } ["URL", $url], @rows;
    my $old = read_file($path);
    write_file_atomic($path, $text) unless defined $old && $old eq $text;
}

1;
