#!/usr/bin/perl
# A text board on 127.0.0.1 for plugin tests and measurements, serving the
# board folders under ROOT the way such boards' web servers do:
#   GET   Last-Modified from the file, 304 for If-Modified-Since, 206 for
#         "Range: bytes=N-" (416 past the end), gzip when asked for and no
#         range is, 302 to the address in FILE.moved when FILE is gone, 404.
#   POST  .../test/bbs.cgi takes a board's post form (Shift_JIS): the first
#         post of a client without the board's cookie gets the confirmation
#         page that sets it (and holds the form's fields, and one more); then the post is written into the thread's dat
#         (or a new thread) and subject.txt, and the page says so. While
#         ROOT/test/refuse.txt exists, every post gets the error page with
#         its text as the reason; while ROOT/test/redirect.txt exists, a
#         302 to the address it holds; when ROOT/test/drop.txt exists, the
#         next post's connection is closed unanswered, after the post is
#         written (before, when the file says "lost"); the file is consumed.
# Headers are checked: a malformed If-Modified-Since or Range, or an HTTP/1.1
# request without Host, gets 400. One line per request is appended to LOG,
# fields separated by tabs: method, target, User-Agent, body, status, bytes
# sent (header and body), If-Modified-Since, Range, Accept-Encoding, Cookie,
# Content-Type, Referer, time received (seconds, fractional).
# Prints the port it listens on as its first line, then serves until killed.
#   board_server.pl ROOT LOG [FAMILY.pm]
# A board family of another wire format is a module FAMILY.pm defining
# family_answer($method, $path, $query, \%headers, $body), which returns
# (status, [[name => value], ...], content) for the requests it serves, or an
# empty list to leave a request to the static serving above; the status
# "DROP" closes the connection without an answer. It may use this file's subs
# (slurp, sj, bad, html_escape, page, form_fields, write_post) and $main::root.
use strict;
use warnings;
use utf8;
use Encode qw(encode);
use HTTP::Date qw(str2time time2str);
use IO::Compress::Gzip qw(gzip $GzipError);
use IO::Socket::INET;
use Time::HiRes ();

our ($root, $log, $family) = @ARGV;
die "usage: $0 ROOT LOG [FAMILY.pm]\n" unless defined $log;
if (defined $family) { require $family }
$SIG{PIPE} = 'IGNORE';

my $server = IO::Socket::INET->new(LocalAddr => '127.0.0.1', LocalPort => 0, Listen => 16,
                                   ReuseAddr => 1, Proto => 'tcp')
  or die "board_server: cannot listen: $!\n";
$| = 1;
print $server->sockport, "\n";

sub sj { encode('cp932', shift) }

sub slurp {
    open my $fh, '<:raw', shift or return undef;
    local $/;
    return scalar <$fh>;
}

while (my $c = $server->accept) {
    binmode $c;
    my $received = Time::HiRes::time();
    my $request  = <$c>;
    next unless defined $request;
    my ($method, $target, $version) = $request =~ /^(\S+)\s+(\S+)\s+HTTP\/(\d\.\d)\r?\n\z/ or next;
    my %h;
    while (my $line = <$c>) {
        last if $line =~ /^\r?\n\z/;
        $h{lc $1} = $2 if $line =~ /^([^:]+):\s*(.*?)\r?\n\z/;
    }
    my $body = '';
    read $c, $body, $h{'content-length'} if $h{'content-length'};

    # Each request is logged before its answer leaves: a client that has its
    # answer finds the request in the log.
    my ($status, $headers, $content) = answer($method, $target, $version, \%h, $body);
    if ($status eq 'DROP') {
        # The request was taken (and acted on) but the connection ends
        # without an answer, as when a front end or the network drops it.
        log_request($method, $target, \%h, $body, 'DROP', 0, $received);
        close $c;
        next;
    }
    my $head = "HTTP/1.0 $status\r\nDate: " . time2str() . "\r\n";
    $head .= "$_->[0]: $_->[1]\r\n" for @$headers;
    $head .= 'Content-Length: ' . length($content) . "\r\nConnection: close\r\n\r\n";
    my $sent = length($head) + ($method eq 'HEAD' ? 0 : length $content);
    log_request($method, $target, \%h, $body, $status =~ s/ .*//r, $sent, $received);
    print $c $head, ($method eq 'HEAD' ? '' : $content);
    close $c;
}

sub log_request {
    my ($method, $target, $h, $body, $status, $sent, $received) = @_;
    my @fields = ($method, $target, $h->{'user-agent'}, $body, $status, $sent,
                  @$h{'if-modified-since', 'range', 'accept-encoding', 'cookie', 'content-type', 'referer'},
                  sprintf('%.3f', $received));
    open my $lf, '>>:raw', $log or die "board_server: $log: $!\n";
    print {$lf} join("\t", map { ($_ // '') =~ tr/\t\r\n/   /r } @fields), "\n";
    close $lf;
}

sub answer {
    my ($method, $target, $version, $h, $body) = @_;
    return bad('no Host') if $version eq '1.1' && !defined $h->{host};
    # A proxy request names the whole URL; the path is what is served.
    (my $path = $target) =~ s{^[a-z]+://[^/]+}{}i;
    my $query = $path =~ s/\?(.*)//s ? $1 : '';
    return ('404 Not Found', [], 'Not Found') if $path =~ m{/\.\.(/|\z)};
    if (defined $family) {
        my @answer = family_answer($method, $path, $query, $h, $body);
        return @answer if @answer;
    }
    return bbs_cgi($path, $h, $body) if $method eq 'POST' && $path =~ m{/test/bbs\.cgi\z};
    return ('405 Method Not Allowed', [], '') unless $method eq 'GET' || $method eq 'HEAD';

    my $since;
    if (defined $h->{'if-modified-since'}) {
        $since = str2time($h->{'if-modified-since'}) // return bad('If-Modified-Since');
    }
    my $from;
    if (defined $h->{range}) {
        ($from) = $h->{range} =~ /^bytes=(\d+)-\z/ or return bad('Range');
    }
    my $file = "$root$path";
    if (!-f $file) {
        my $moved = slurp("$file.moved");
        return ('302 Found', [[Location => $moved =~ s/\s+\z//r]], '') if defined $moved;
        return ('404 Not Found', [], 'Not Found');
    }
    my $content = slurp($file) // return ('403 Forbidden', [], '');
    my $mtime = (stat $file)[9];
    my @headers = ([ 'Last-Modified' => time2str($mtime) ],
                   [ 'Content-Type' => $path =~ /\.html?\z/ ? 'text/html' : 'text/plain' ]);
    return ('304 Not Modified', [[ 'Last-Modified' => time2str($mtime) ]], '') if defined $since && $mtime <= $since;
    if (defined $from) {
        my $size = length $content;
        return ('416 Range Not Satisfiable', [[ 'Content-Range' => "bytes */$size" ]], '') if $from >= $size;
        return ('206 Partial Content', [@headers, [ 'Content-Range' => "bytes $from-" . ($size - 1) . "/$size" ]],
                substr($content, $from));
    }
    if (($h->{'accept-encoding'} // '') =~ /\bgzip\b(?!\s*;\s*q=0(?:\.0*)?\b)/) {
        gzip(\$content => \my $packed) or die "board_server: $GzipError\n";
        return ('200 OK', [@headers, [ 'Content-Encoding' => 'gzip' ], [ Vary => 'Accept-Encoding' ]], $packed);
    }
    return ('200 OK', \@headers, $content);
}

sub bad { ('400 Bad Request', [], "bad $_[0]") }

sub page {
    my ($title, $mark, $text, @headers) = @_;    # the title in characters, the text in Shift_JIS
    my $html = sj("<html><head><title>$title</title></head>\n<!-- bbs_X:$mark -->\n<body>") . $text . "</body></html>\n";
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=Shift_JIS' ], @headers], $html);
}

sub html_escape { $_[0] =~ s/&(?!#\d{1,7};)/&amp;/gr =~ s/</&lt;/gr =~ s/>/&gt;/gr =~ s/"/&quot;/gr }

sub bbs_cgi {
    my ($path, $h, $body) = @_;
    return bad('Content-Type') unless ($h->{'content-type'} // '') =~ m{^application/x-www-form-urlencoded\b};
    my %f;
    for (split /&/, $body) {
        my ($k, $v) = map { tr/+/ /r =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ger } split /=/, $_, 2;
        $f{$k} = $v // '';
    }
    my $elsewhere = slurp("$root/test/redirect.txt");
    return ('302 Found', [[Location => $elsewhere =~ s/\s+\z//r]], '') if defined $elsewhere;
    my $refused = slurp("$root/test/refuse.txt");
    return page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . ($refused =~ s/\s+\z//r)) if defined $refused;

    if (($h->{cookie} // '') !~ /(?:^|;\s*)board_ok=1(?:;|\z)/) {
        my $hidden = join '', map { sprintf '<input type=hidden name="%s" value="%s">', $_, html_escape($f{$_}) }
                              grep { $_ ne 'submit' } sort keys %f;
        return page('■ 書き込み確認 ■', 'cookie',
                    "<form method=POST action=\"../test/bbs.cgi\">$hidden<input type=hidden name=\"agree\" value=\"1\">"
                      . sj('<input type=submit value="上記全てを承諾して書き込む" name="submit"></form>'),
                    [ 'Set-Cookie' => 'board_ok=1; path=/' ]);
    }

    return ('DROP', [], '') if (slurp("$root/test/drop.txt") // '') =~ /^lost/ && unlink "$root/test/drop.txt";
    my $error = write_post(\%f);
    return page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . sj($error)) if defined $error;
    return ('DROP', [], '') if unlink "$root/test/drop.txt";
    return page('書きこみました。', 'true', sj('書きこみが終わりました。'));
}

# Writes a post of the form's fields (Shift_JIS bytes: bbs, key or subject,
# FROM, mail, MESSAGE) into the thread's dat (or a new thread) and
# subject.txt. Returns undef, or the reason it was refused (characters). The
# date field is "YYYY/MM/DD(曜) HH:MM:SS.00 ID:" and $opt{id} (Test0001);
# $opt{cents} => 0 leaves out the hundredths.
sub write_post {
    my ($f, %opt) = @_;
    my $board = "$root/" . ($f->{bbs} // '');
    return '板がありません' if ($f->{bbs} // '') !~ /^[\w-]+\z/a || !-d $board;
    return '本文がありません' if ($f->{MESSAGE} // '') !~ /\S/;
    my $key = $f->{key};
    my $title = '';
    if (defined $key) {
        return 'スレッドがありません' unless $key =~ /^\d+\z/ && -f "$board/dat/$key.dat";
    } else {
        return 'サブジェクトがありません' if ($f->{subject} // '') eq '';
        $key = time;
        $key++ while -e "$board/dat/$key.dat";
        $title = html_escape($f->{subject});
    }
    my @t = gmtime(time + 9 * 3600);
    my $date = sprintf '%04d/%02d/%02d(%s) %02d:%02d:%02d%s ID:%s', $t[5] + 1900, $t[4] + 1, $t[3],
                       sj((qw(日 月 火 水 木 金 土))[$t[6]]), @t[2, 1, 0], ($opt{cents} // 1) ? '.00' : '',
                       $opt{id} // 'Test0001';
    my $name = ($f->{FROM} // '') ne '' ? html_escape($f->{FROM}) : sj('名無しさん');
    my $message = join ' <br> ', map { html_escape($_) } split /\r?\n/, $f->{MESSAGE};
    open my $dat, '>>:raw', "$board/dat/$key.dat" or die "board_server: $!\n";
    print {$dat} join('<>', $name, html_escape($f->{mail} // ''), $date, " $message ", $title), "\n";
    close $dat;

    my $count = () = slurp("$board/dat/$key.dat") =~ /\n/g;
    my (@lines, $mine);
    for (split /\n/, slurp("$board/subject.txt") // '') {
        if (/^\Q$key\E\.dat<>(.*?) \(\d+\)\z/) { $mine = "$key.dat<>$1 ($count)" } else { push @lines, $_ }
    }
    unshift @lines, $mine // "$key.dat<>$title ($count)";
    open my $s, '>:raw', "$board/subject.txt" or die "board_server: $!\n";
    print {$s} map { "$_\n" } @lines;
    close $s;
    return undef;
}

# The fields of a form body, bytes as sent, in order: (name, value, ...).
sub form_fields {
    my ($body) = @_;
    return map { my ($k, $v) = map { tr/+/ /r =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ger } split /=/, $_, 2; ($k, $v // '') }
           split /&/, $body // '';
}
