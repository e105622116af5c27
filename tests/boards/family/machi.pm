# Machi BBS boards for board_server.pl, answering as the real ones do
# (docs/boards.md says where each detail was read):
#   GET  /BBS/subject.txt       the static list ("KEY.cgi,TITLE(COUNT)", the
#                               first line repeated at the end), served by the
#                               server's static files: Last-Modified, 304, gzip
#   GET  /bbs/offlaw.cgi/2/BBS/ the list as "N<>KEY<>TITLE(COUNT)"
#   GET  /bbs/offlaw.cgi/2/BBS/KEY/[FROM-[TO]]
#                               the posts numbered FROM and on, one line each:
#                               "NUM<>NAME<>MAIL<>DATE ID:x<>BODY<>TITLE<>HOST"
#                               (TITLE on post 1 only; a deleted post leaves its
#                               number out). A CGI: no Last-Modified, no 304;
#                               gzip when asked (the sites' front end packs
#                               text). A thread whose log is gone gets the
#                               board's HTML notice, an unknown board "<ERROR>".
#   POST /bbs/write.cgi         the form (Shift_JIS; BBS, KEY or SUBJECT, TIME,
#                               NAME, MAIL, MESSAGE): the post appended to
#                               ROOT/BBS/log/KEY.log and subject.txt counted
#                               up (moved to the top unless MAIL says sage);
#                               success is "302 Found" to the board. Refused
#                               with the error page ("ERROR:" + reason) while
#                               ROOT/test/refuse.txt exists (its text the
#                               reason). While ROOT/test/timeout.txt exists the
#                               post is written but the answer is the front
#                               end's "524" time-out page; while
#                               ROOT/test/lost.txt exists the same page comes
#                               and nothing is written. When ROOT/test/drop.txt
#                               exists the next post is written and its
#                               connection closed unanswered (the file is
#                               consumed).
# Thread logs live in ROOT/BBS/log/KEY.log, one offlaw line each.
use strict;
use warnings;
use utf8;
use Encode qw(encode decode);
use IO::Compress::Gzip qw(gzip $GzipError);

my $SJIS_TEXT = 'text/plain; charset=Shift_JIS';

sub family_answer {
    my ($method, $path, $query, $h, $body) = @_;
    if ($path =~ m{^/bbs/offlaw\.cgi/2/([^/]+)/(?:(\d+)/(?:(\d*)-(\d*))?)?\z}) {
        return ('405 Method Not Allowed', [], '') unless $method eq 'GET';
        my ($bbs, $key, $from, $to) = ($1, $2, $3, $4);
        return machi_plain($h, "<ERROR>\n") unless $bbs =~ /^\w+\z/a && -d "$main::root/$bbs";
        return machi_list($h, $bbs) unless defined $key;
        return machi_thread($h, $bbs, $key, $from, $to);
    }
    return machi_write($h, $body) if $path eq '/bbs/write.cgi' && $method eq 'POST';
    return;
}

sub machi_plain {
    my ($h, $text, $type) = @_;
    my @headers = ([ 'Content-Type' => $type // $SJIS_TEXT ]);
    if (($h->{'accept-encoding'} // '') =~ /\bgzip\b/) {
        gzip(\$text => \my $packed) or die "machi: $GzipError\n";
        return ('200 OK', [@headers, [ 'Content-Encoding' => 'gzip' ], [ Vary => 'Accept-Encoding' ]], $packed);
    }
    return ('200 OK', \@headers, $text);
}

sub machi_subject_lines {
    my ($bbs) = @_;
    my (@lines, %seen);
    for (split /\n/, main::slurp("$main::root/$bbs/subject.txt") // '') {
        next unless /^(\d+)\.cgi,/ && !$seen{$1}++;
        push @lines, $_;
    }
    return @lines;
}

sub machi_list {
    my ($h, $bbs) = @_;
    my $n = 0;
    my $text = join '', map { /^(\d+)\.cgi,(.*)\z/s ? ++$n . "<>$1<>$2\n" : () } machi_subject_lines($bbs);
    return machi_plain($h, $text);
}

sub machi_thread {
    my ($h, $bbs, $key, $from, $to) = @_;
    my $log = main::slurp("$main::root/$bbs/log/$key.log");
    return machi_plain($h, encode('cp932', "<html><head></head><body>\nなんらかの原因により、まちＢＢＳサーバ内にログを見つけることができませんでした。\n</body></html>\n"),
                       'text/html; charset=Shift_JIS') unless defined $log;
    $from = 1 if !defined $from || $from eq '';
    my $text = join '', grep { my ($no) = /^(\d+)</; $no >= $from && (!defined $to || $to eq '' || $no <= $to) }
                        map { "$_\n" } split /\n/, $log;
    return machi_plain($h, $text);
}

sub machi_page {
    my ($title, $text) = @_;    # both characters
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=Shift_JIS' ]],
            encode('cp932', "<html><head><title>$title</title></head>\n<body>$text</body></html>\n"));
}

sub machi_error {
    my ($reason) = @_;    # characters
    return machi_page('ERROR!', '<font color=red><b>ERROR:' . main::html_escape($reason)
                                . '</b></font><br><br>ブラウザの戻るボタンで戻ってください。');
}

sub machi_timeout {
    return ('524 A Timeout Occurred', [[ 'Content-Type' => 'text/html; charset=UTF-8' ]],
            "<html><head><title>A timeout occurred | 524</title></head><body>Error code 524</body></html>\n");
}

sub machi_write {
    my ($h, $body) = @_;
    return main::bad('Content-Type') unless ($h->{'content-type'} // '') =~ m{^application/x-www-form-urlencoded\b};
    my %f;
    for (split /&/, $body) {
        my ($k, $v) = map { tr/+/ /r =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ger } split /=/, $_, 2;
        $f{$k} = decode('cp932', $v // '');
    }
    my $refused = main::slurp("$main::root/test/refuse.txt");
    return machi_error(decode('cp932', $refused) =~ s/\s+\z//r) if defined $refused;
    return machi_timeout() if -e "$main::root/test/lost.txt";

    my $bbs = $f{BBS} // '';
    return machi_error('板がありません') unless $bbs =~ /^\w+\z/a && -d "$main::root/$bbs";
    return machi_error('フォーム情報が正しくありません') unless ($f{TIME} // '') =~ /^\d+\z/a;
    return machi_error('本文がありません') unless ($f{MESSAGE} // '') =~ /\S/;
    my $key = $f{KEY};
    my $title = '';
    my $dir = "$main::root/$bbs/log";
    my $no = 1;
    if (defined $key) {
        my $log = $key =~ /^\d+\z/a ? main::slurp("$dir/$key.log") : undef;
        return machi_error('そのスレッドはありません') unless defined $log;
        ($no) = $log =~ /(?:^|\n)(\d+)<[^\n]*\n?\z/;
        $no = ($no // 0) + 1;
    } else {
        return machi_error('タイトルがありません') if ($f{SUBJECT} // '') !~ /\S/;
        $key = time;
        $key++ while -e "$dir/$key.log";
        $title = main::html_escape($f{SUBJECT});
    }
    my %setting = map { /^(\w+)=(.*)\z/ ? ($1, $2) : () } split /\r?\n/, decode('cp932', main::slurp("$main::root/$bbs/SETTING.TXT") // '');
    my @t = gmtime(time + 9 * 3600);
    my $date = sprintf '%04d/%02d/%02d(%s) %02d:%02d:%02d ID:Lo0pTest', $t[5] + 1900, $t[4] + 1, $t[3],
                       (qw(日 月 火 水 木 金 土))[$t[6]], @t[2, 1, 0];
    my $name = $f{NAME} // '';
    $name = $name ne '' ? main::html_escape($name) : ($setting{BBS_NONAME_NAME} // '名無しさん');
    my $message = join '<br>', map { main::html_escape($_) } split /\r?\n/, $f{MESSAGE};
    my $line = join('<>', $no, $name, main::html_escape($f{MAIL} // ''), $date, $message, $title, 'localhost') . "\n";
    mkdir $dir;
    open my $fh, '>>:raw', "$dir/$key.log" or die "machi: $dir/$key.log: $!\n";
    print {$fh} encode('cp932', $line);
    close $fh;

    my (@list, $mine, $at);
    for (machi_subject_lines($bbs)) {
        if (/^\Q$key\E\.cgi,(.*)\(\d+\)\z/s) { ($mine, $at) = ("$key.cgi,$1($no)", scalar @list) }
        else { push @list, $_ }
    }
    $mine //= encode('cp932', "$key.cgi,$title($no)");
    # A sage post leaves its thread where it was.
    if (($f{MAIL} // '') =~ /sage/ && defined $at) { splice @list, $at, 0, $mine } else { unshift @list, $mine }
    open my $s, '>:raw', "$main::root/$bbs/subject.txt" or die "machi: $!\n";
    print {$s} map { "$_\n" } @list, $list[0];
    close $s;
    return ('DROP', [], '') if unlink "$main::root/test/drop.txt";
    return machi_timeout() if -e "$main::root/test/timeout.txt";
    return ('302 Found', [[ Location => "../$bbs/" ], [ 'Content-Type' => 'text/html' ]], '');
}

1;
