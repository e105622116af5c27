# 5ch-style boards (5ch.net as it runs today) for tests/boards/board_server.pl,
# answering the way docs/boards.md records it. Everything on the
# wire is Shift_JIS. A board is the default layout (ROOT/BBS/subject.txt,
# SETTING.TXT, dat/KEY.dat, served statically) plus:
#   BBS/oyster/KEY4/KEY.dat  the archive of a thread whose dat is gone (a dat
#                            missing with a BBS/dat/KEY.dat.moved beside it
#                            answers 302 to the address it holds, as 5ch
#                            sends a fallen thread to its archive page)
#   test/refuse.txt          while it exists, every post that passed the
#                            confirmation is refused with its text (Shift_JIS)
#                            as the reason ("連続投稿ですか？？")
#   test/drop.txt            the next post's connection is closed without an
#                            answer, after the post is written (or before,
#                            when the file says "lost"); the file is consumed
# Checked as 5ch checks them (a failed check is the error page):
#   GET of a board file      User-Agent "Monazilla/1.00 ..." (else 403)
#   POST /test/bbs.cgi       the query "guid=ON"; User-Agent
#                            "Monazilla/1.00 (NAME/VERSION)"; Referer the
#                            thread's read.cgi address (a new thread: the
#                            board's); "time" a number at least 10 s and at
#                            most a day in the past
#   cookies                  a post without MonaTicket, acorn and feature gets
#                            the confirmation page: Set-Cookie MonaTicket and
#                            acorn, "<pre>Cookie:feature = confirmed:cookie-side
#                            </pre>" (no header for it), a form to
#                            "../test/bbs.cgi?guid=ON" holding every field sent
#                            (but the button) and the hidden
#                            feature=confirmed:form-side; a post sending the
#                            form's feature field must send the matching one
use strict;
use warnings;
use utf8;

sub family_answer {
    my ($method, $path, $query, $h, $body) = @_;
    my $ua = $h->{'user-agent'} // '';
    if ($path ne '/test/bbs.cgi') {
        return ('403 Forbidden', [], 'Forbidden') if $ua !~ m{^Monazilla/1\.00\b};
        return ();
    }
    return ('405 Method Not Allowed', [], '') unless $method eq 'POST';
    my @pairs = form_fields($body);
    my %f = @pairs;
    my $refuse = sub { page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . sj(shift)) };
    return $refuse->('guid=ON がありません') unless $query eq 'guid=ON';
    return $refuse->('ブラウザ変ですよん。') unless $ua =~ m{^Monazilla/1\.00 \([^()/\s]+/[^()\s]+\)\z};
    my $read = 'http://' . ($h->{host} // '') . '/test/read.cgi/' . ($f{bbs} // '') . '/' . ($f{key} // '');
    return $refuse->('Referer情報が変です。') unless ($h->{referer} // '') eq $read;
    return $refuse->('時間が変です。')
      unless ($f{time} // '') =~ /^\d+\z/ && $f{time} <= time - 10 && $f{time} > time - 86400;

    my %cookie = map { /^\s*([^=]+)=(.*)\z/ ? ($1, $2) : () } split /;/, $h->{cookie} // '';
    my $confirmed = ($cookie{MonaTicket} // '') eq 'mona-1' && ($cookie{acorn} // '') eq 'acorn-1'
      && ($cookie{feature} // '') eq 'confirmed:cookie-side'
      && (!defined $f{feature} || $f{feature} eq 'confirmed:form-side');
    if (!$confirmed) {
        my $hidden = join '', map { sprintf '<input type=hidden name="%s" value="%s">', $pairs[$_], html_escape($pairs[$_ + 1]) }
                              grep { $_ % 2 == 0 && $pairs[$_] ne 'submit' && $pairs[$_] ne 'feature' } 0 .. $#pairs;
        return page('■ 書き込み確認 ■', 'cookie',
                    "<form method=POST action=\"../test/bbs.cgi?guid=ON\">$hidden"
                      . '<input type=hidden name="feature" value="confirmed:form-side">'
                      . sj('<input type=submit value="上記全てを承諾して書き込む" name="submit"></form>')
                      . "<pre>Cookie:feature = confirmed:cookie-side</pre>",
                    [ 'Set-Cookie' => 'MonaTicket=mona-1; path=/; expires=Fri, 31-Dec-2038 00:00:00 GMT' ],
                    [ 'Set-Cookie' => 'acorn=acorn-1; path=/; expires=Fri, 31-Dec-2038 00:00:00 GMT' ]);
    }
    my $refused = slurp("$main::root/test/refuse.txt");
    return page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . ($refused =~ s/\s+\z//r)) if defined $refused;
    return ('DROP', [], '') if (slurp("$main::root/test/drop.txt") // '') =~ /^lost/ && unlink "$main::root/test/drop.txt";
    my $error = write_post(\%f, id => 'Five0001');
    return page('ＥＲＲＯＲ！', 'error', 'ERROR: ' . sj($error)) if defined $error;
    return ('DROP', [], '') if unlink "$main::root/test/drop.txt";
    return page('書きこみました。', 'true', sj('書きこみが終わりました。'));
}

1;
