# Shitaraba-style boards for tests/boards/board_server.pl, answering the way
# jbbs.shitaraba.jp does as docs/boards.md records it. Everything
# on the wire is EUC-JP. A board lives in ROOT/DIR/BBS/:
#   SETTING.TXT       the settings API's answer (KEY=VALUE lines)
#   subject.txt       the thread list, served as a static file (so with
#                     Last-Modified, 304 and gzip); kept up to date by posts
#   threads/KEY.dat   a listed thread: its rawmode lines
#                     (NUM<>NAME<>MAIL<>DATE<>BODY<>TITLE<>ID); a deleted
#                     post is simply missing, leaving a gap in the numbers
#   storage/KEY.dat   a fallen thread (in the archive): rawmode answers
#                     "ERROR: STORAGE IN", read_archive.cgi shows it as HTML
#   refuse.txt        while it exists, every post gets the error page with
#                     its text (UTF-8) as the reason
#   unclear.txt       the next post is written but answered with a page that
#                     is neither the success nor the error page (the file is
#                     consumed), as when a proxy or a broken connection
#                     swallows the board's answer
# Served:
#   GET  /bbs/rawmode.cgi/DIR/BBS/KEY/[N-[M]|N|lN]
#   GET  /bbs/read_archive.cgi/DIR/BBS/KEY/
#   GET  /bbs/api/setting.cgi/DIR/BBS/
#   POST /bbs/write.cgi/DIR/BBS/KEY/   (a reply)  and  .../new/ (a thread)
use strict;
use warnings;
use utf8;
use Encode ();
use HTTP::Date ();
use IO::Compress::Gzip ();

sub euc { Encode::encode('euc-jp', shift) }

my @WEEKDAYS = qw(日 月 火 水 木 金 土);

sub family_answer {
    my ($method, $path, $query, $h, $body) = @_;
    if ($path =~ m{^/bbs/rawmode\.cgi/(\w+)/(\d+)/([^/]*)/?([^/]*)\z}) {
        return ('405 Method Not Allowed', [], '') unless $method eq 'GET' || $method eq 'HEAD';
        return rawmode($1, $2, $3, $4, $h);
    }
    if ($path =~ m{^/bbs/read_archive\.cgi/(\w+)/(\d+)/(\d+)/?\z}) {
        return archive_page($1, $2, $3);
    }
    if ($path =~ m{^/bbs/api/setting\.cgi/(\w+)/(\d+)/?\z}) {
        my $setting = slurp("$main::root/$1/$2/SETTING.TXT");
        return ('200 OK', [[ERROR => 'BBS NOT FOUND']], '') unless defined $setting;
        return ('200 OK', [[ 'Content-Type' => 'text/plain; charset=EUC-JP' ]], $setting);
    }
    if ($path =~ m{^/bbs/write\.cgi/(\w+)/(\d+)/(\d+|new)/?\z}) {
        return ('405 Method Not Allowed', [], '') unless $method eq 'POST';
        return write_cgi($1, $2, $3, $h, $body);
    }
    return ();
}

# The answer's ERROR header says why a thread cannot be read; the body is
# then empty (read.crx-2 reads the same four words).
sub rawmode {
    my ($dir, $bbs, $key, $range, $h) = @_;
    my $board = "$main::root/$dir/$bbs";
    return ('200 OK', [[ERROR => 'BBS NOT FOUND']], '') unless -d $board;
    return ('200 OK', [[ERROR => 'KEY NOT FOUND']], '') unless $key =~ /^\d+\z/;
    my $file = "$board/threads/$key.dat";
    if (!-f $file) {
        return ('200 OK', [[ERROR => -f "$board/storage/$key.dat" ? 'STORAGE IN' : 'THREAD NOT FOUND']], '');
    }
    my ($from, $to);
    if ($range eq '') { ($from, $to) = (1, 1e9) }
    elsif ($range =~ /^(\d+)-(\d*)\z/) { ($from, $to) = ($1, $2 eq '' ? 1e9 : $2) }
    elsif ($range =~ /^(\d+)\z/) { ($from, $to) = ($1, $1) }
    elsif ($range !~ /^l(\d+)\z/) { return bad('rawmode range') }

    my $mtime = (stat $file)[9];
    my @last_modified = ([ 'Last-Modified' => HTTP::Date::time2str($mtime) ]);
    if (defined $h->{'if-modified-since'}) {
        my $since = HTTP::Date::str2time($h->{'if-modified-since'}) // return bad('If-Modified-Since');
        return ('304 Not Modified', \@last_modified, '') if $mtime <= $since;
    }
    my @lines = split /^/m, slurp($file);
    if (defined $from) {
        @lines = grep { my ($n) = /^(\d+)</; $n >= $from && $n <= $to } @lines;
    } else {
        my ($n) = $range =~ /(\d+)/;
        splice @lines, 0, @lines - $n if @lines > $n;
    }
    my $content = join '', @lines;
    my @headers = (@last_modified, [ 'Content-Type' => 'text/plain; charset=EUC-JP' ]);
    if (($h->{'accept-encoding'} // '') =~ /\bgzip\b/) {
        IO::Compress::Gzip::gzip(\$content => \my $packed) or die "shitaraba: $IO::Compress::Gzip::GzipError\n";
        return ('200 OK', [@headers, [ 'Content-Encoding' => 'gzip' ]], $packed);
    }
    return ('200 OK', \@headers, $content);
}

# A fallen thread as the archive shows it: one <dt> and <dd> per post.
sub archive_page {
    my ($dir, $bbs, $key) = @_;
    my $stored = slurp("$main::root/$dir/$bbs/storage/$key.dat");
    return ('404 Not Found', [], 'Not Found') unless defined $stored;
    my ($title, $posts) = ('', '');
    for my $line (split /\n/, $stored) {
        my ($no, $name, $mail, $date, $text, $t, $id) = split /<>/, $line, -1;
        $title = $t if $no == 1;
        my $who = $mail ne '' ? qq{<a href="mailto:$mail"><b>$name</b></a>} : "<b>$name</b>";
        $posts .= "<dt><a href=\"/bbs/read.cgi/$dir/$bbs/$key/$no\">$no</a> " . euc('：') . $who . euc('：')
                . "$date ID:$id</dt>\n<dd> $text <br><br></dd>\n";
    }
    my $html = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">"
             . "<title>$title</title></head>\n<body>\n<h1>$title</h1>\n<dl>\n$posts</dl>\n</body></html>\n";
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=EUC-JP' ]], $html);
}

sub error_page {
    my ($reason) = @_;    # characters
    my $html = "<html>\n<head>\n<title>ERROR!!</title>\n\n</head>\n<body bgcolor=\"#FFFFFF\"><!-- 2ch_X:error -->\n"
             . "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"10\">\n"
             . '<tr><td><b>ERROR!!<br><br>' . euc($reason) . "</b></td></tr>\n</table>\n<hr size=1>\n</body>\n</html>\n";
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=EUC-JP' ]], $html);
}

sub success_page {
    my ($dir, $bbs) = @_;
    my $html = "<html lang=\"ja\">\n<head>\n<title>" . euc('書きこみました。') . "</title>\n"
             . "<meta http-equiv=\"content-type\" content=\"text/html; charset=euc-jp\">\n"
             . "<meta http-equiv=\"refresh\" content=\"10;url=/$dir/$bbs/\">\n</head>\n<body bgcolor=\"#ffffff\">\n"
             . euc('書きこみが終りました。') . "<br><br>\n" . euc('画面を切り替えるまでしばらくお待ち下さい。')
             . "<br><br>\n<br>\n<a href=\"/$dir/$bbs/\">" . euc('掲示板に戻る') . "</a>\n</body>\n</html>\n";
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=EUC-JP' ]], $html);
}

# The board keeps what it is sent as it is (only escaped for HTML), so the
# bytes must be EUC-JP: anything else is refused here, where the real board
# would store and show garbage.
sub valid_euc {
    my ($bytes) = @_;
    return $bytes =~ /\A(?:[\x00-\x7f]|[\xa1-\xfe][\xa1-\xfe]|\x8e[\xa1-\xdf]|\x8f[\xa1-\xfe][\xa1-\xfe])*\z/;
}

sub escape_text {
    my ($s) = @_;
    $s =~ s/&(?!#(?:\d{1,7}|x[0-9A-Fa-f]{1,6});)/&amp;/g;
    $s =~ s/</&lt;/g;
    $s =~ s/>/&gt;/g;
    $s =~ s/"/&quot;/g;
    return $s;
}

sub setting_value {
    my ($board, $key) = @_;
    my ($value) = (slurp("$board/SETTING.TXT") // '') =~ /^\Q$key\E=(.*)$/m;
    return $value;
}

sub write_cgi {
    my ($dir, $bbs, $key, $h, $body) = @_;
    return bad('Content-Type') unless ($h->{'content-type'} // '') =~ m{^application/x-www-form-urlencoded\b};
    my %f;
    for (split /&/, $body) {
        my ($k, $v) = map { tr/+/ /r =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ger } split /=/, $_, 2;
        $f{$k} = $v // '';
    }
    my $board = "$main::root/$dir/$bbs";
    return error_page('ユーザー設定が消失しています') unless -d $board && ($f{DIR} // '') eq $dir && ($f{BBS} // '') eq $bbs;
    my $refused = slurp("$board/refuse.txt");
    return error_page(Encode::decode('UTF-8', $refused) =~ s/\s+\z//r) if defined $refused;
    return error_page('文字コードが正しくありません') if grep { !valid_euc($_) } values %f;
    return error_page('本文がありません') if ($f{MESSAGE} // '') !~ /\S/;

    my $title = '';
    if ($key eq 'new') {
        return error_page('タイトルがありません') if ($f{SUBJECT} // '') !~ /\S/;
        $title = escape_text($f{SUBJECT});
        $key = time;
        $key++ while -e "$board/threads/$key.dat" || -e "$board/storage/$key.dat";
    } else {
        return error_page('該当スレッドは存在しません。') if ($f{KEY} // '') ne $key || !-f "$board/threads/$key.dat";
    }
    my $file = "$board/threads/$key.dat";
    my $old = slurp($file) // '';
    my ($last) = $old =~ /(?:^|\n)(\d+)<>[^\n]*\n\z/;
    my $no = ($last // 0) + 1;
    my $stop = setting_value($board, 'BBS_THREAD_STOP') // 1000;
    return error_page("投稿数 $stop ： スレッドストップです") if $no > $stop;

    my @t = gmtime(time + 9 * 3600);
    my $date = sprintf '%04d/%02d/%02d(%s) %02d:%02d:%02d', $t[5] + 1900, $t[4] + 1, $t[3], euc($WEEKDAYS[$t[6]]), @t[2, 1, 0];
    my $name = ($f{NAME} // '') ne '' ? escape_text($f{NAME}) : setting_value($board, 'BBS_NONAME_NAME') // '';
    my $text = join '<br>', map { escape_text($_) } split /\r\n|\r|\n/, $f{MESSAGE};
    open my $fh, '>>:raw', $file or die "shitaraba: $file: $!\n";
    print {$fh} join('<>', $no, $name, escape_text($f{MAIL} // ''), $date, $text, $title, 'Loop0001'), "\n";
    close $fh;
    update_subject($board, $key, $no, ($f{MAIL} // '') =~ /sage/i);

    if (-e "$board/unclear.txt") {
        unlink "$board/unclear.txt";
        return ('200 OK', [[ 'Content-Type' => 'text/html' ]], "<html><head><title></title></head><body></body></html>\n");
    }
    return success_page($dir, $bbs);
}

# The thread's line at the top (kept in place for "sage"), and, as on the
# real boards, the first line once more at the end.
sub update_subject {
    my ($board, $key, $count, $sage) = @_;
    my @lines = split /\n/, slurp("$board/subject.txt") // '';
    pop @lines if @lines > 1 && $lines[-1] eq $lines[0];
    my ($at) = grep { $lines[$_] =~ /^\Q$key\E\.cgi,/ } 0 .. $#lines;
    my $title;
    if (defined $at) {
        ($title) = splice(@lines, $at, 1) =~ /^\d+\.cgi,(.*)\(\d+\)\z/;
    } else {
        (my $first = slurp("$board/threads/$key.dat")) =~ s/\n.*//s;
        $title = (split /<>/, $first, -1)[5];
    }
    my $mine = "$key.cgi,$title($count)";
    if ($sage && defined $at) { splice @lines, $at, 0, $mine } else { unshift @lines, $mine }
    open my $fh, '>:raw', "$board/subject.txt" or die "shitaraba: $board/subject.txt: $!\n";
    print {$fh} map { "$_\n" } @lines, $lines[0];
    close $fh;
}

1;
