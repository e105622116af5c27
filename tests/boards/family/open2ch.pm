# open2ch-style boards (open2ch.net) for tests/boards/board_server.pl, as
# docs/boards.md records them. Board files are Shift_JIS, served
# statically like the default layout; posts are taken in UTF-8 (the site's
# own pages post UTF-8) and its pages answer in UTF-8.
#   POST /test/bbs.cgi   Content-Type with charset=UTF-8 and every value
#                        valid UTF-8; Referer the thread's read.cgi address;
#                        "time" a number. A post without the cookie gets
#                        "CookieをONにしてね。" and the cookie, and no form: the
#                        same form is to be sent again. A post is written to
#                        the dat in Shift_JIS (a character it lacks as a
#                        numeric reference), dated without hundredths and
#                        with a three-letter ID.
#   test/refuse.txt      while it exists, every post that has the cookie is
#                        refused with its text (UTF-8) as the reason
#   test/drop.txt        the next post's connection is dropped unanswered,
#                        after it is written (before, when the file says "lost")
use strict;
use warnings;
use utf8;
use Encode ();

sub o2_page {
    my ($title, $mark, $text, @headers) = @_;
    my $html = Encode::encode('UTF-8', "<html><head><title>$title</title></head>\n<!-- 2ch_X:$mark -->\n<body>$text</body></html>\n");
    return ('200 OK', [[ 'Content-Type' => 'text/html; charset=UTF-8' ], @headers], $html);
}

sub family_answer {
    my ($method, $path, $query, $h, $body) = @_;
    return () unless $path eq '/test/bbs.cgi';
    return ('405 Method Not Allowed', [], '') unless $method eq 'POST';
    my %f = form_fields($body);
    my $refuse = sub { o2_page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . shift) };
    return $refuse->('文字コードが変です。') unless ($h->{'content-type'} // '') =~ /charset=UTF-8/i;
    for (values %f) {
        my $copy = $_;
        return $refuse->('文字コードが変です。') unless eval { Encode::decode('UTF-8', $copy, Encode::FB_CROAK); 1 };
    }
    my $read = 'http://' . ($h->{host} // '') . '/test/read.cgi/' . ($f{bbs} // '') . '/' . ($f{key} // '');
    return $refuse->('Referer情報が変です。') unless ($h->{referer} // '') eq $read;
    return $refuse->('時間が変です。') unless ($f{time} // '') =~ /^\d+\z/;
    if (($h->{cookie} // '') !~ /(?:^|;\s*)IS_COOKIE=1(?:;|\z)/) {
        return o2_page('ＥＲＲＯＲ！', 'cookie', 'CookieをONにしてね。', [ 'Set-Cookie' => 'IS_COOKIE=1; path=/' ]);
    }
    # The dat is Shift_JIS: what it cannot hold becomes a numeric reference.
    for (values %f) {
        $_ = Encode::encode('cp932', Encode::decode('UTF-8', $_), sub { sprintf '&#%d;', shift });
    }
    my $refused = slurp("$main::root/test/refuse.txt");
    return $refuse->(Encode::decode('UTF-8', $refused) =~ s/\s+\z//r) if defined $refused;
    return ('DROP', [], '') if (slurp("$main::root/test/drop.txt") // '') =~ /^lost/ && unlink "$main::root/test/drop.txt";
    my $error = write_post(\%f, id => 'o2c', cents => 0);
    return $refuse->($error) if defined $error;
    return ('DROP', [], '') if unlink "$main::root/test/drop.txt";
    return o2_page('書きこみました。', 'true', '書きこみが終わりました。');
}

1;
