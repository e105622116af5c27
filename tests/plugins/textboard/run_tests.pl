#!/usr/bin/perl
# Tests of plugins/cm_TEXTBOARD.PL, run as the library runs it: in a group
# folder with a drwa_BBS.ini, against a board on disk (file://) or on a small
# HTTP server on 127.0.0.1.
#   run_tests.pl [PERL]
use strict;
use warnings;
use utf8;
use Encode qw(encode decode);
use File::Basename qw(dirname);
use File::Copy qw(copy);
use File::Path qw(make_path);
use File::Spec;
use File::Temp qw(tempdir);
use Test::More;

binmode Test::More->builder->$_, ':encoding(UTF-8)' for qw(output failure_output todo_output);

my $perl   = shift // $^X;
my $top    = File::Spec->rel2abs(dirname(__FILE__) . '/../../..');
my $plugin = "$top/plugins/cm_TEXTBOARD.PL";
my $tmp    = tempdir(CLEANUP => 1);

sub sj { encode('cp932', shift) }
sub u  { decode('cp932', shift) }

sub slurp {
    open my $fh, '<:raw', shift or return undef;
    local $/;
    return scalar <$fh>;
}

sub spew {
    my ($path, $bytes) = @_;
    open my $fh, '>:raw', $path or die "$path: $!";
    print {$fh} $bytes;
    close $fh;
}

sub copy_tree {
    my ($from, $to) = @_;
    make_path($to);
    opendir my $dh, $from or die "$from: $!";
    for (grep { !/^\.\.?\z/ } readdir $dh) {
        -d "$from/$_" ? copy_tree("$from/$_", "$to/$_") : copy("$from/$_", "$to/$_") || die $!;
    }
}

my $groups = 0;

# A group folder whose drwa_BBS.ini holds the given [BASIC] keys.
sub group {
    my (%basic) = @_;
    my $dir = "$tmp/group" . ++$groups;
    make_path($dir);
    my $ini = "[BASIC]\r\nGUID=6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70\r\n";
    $ini .= "$_=$basic{$_}\r\n" for sort keys %basic;
    spew("$dir/drwa_BBS.ini", sj($ini . "[OPTION]\r\nSAVE_NUMBER=1\r\n"));
    return $dir;
}

sub board_copy {
    my $dir = "$tmp/board" . ++$groups . '/board';
    copy_tree("$top/examples/board", $dir);
    return $dir;
}

# Everything the plugin wrote to standard error, checked for Perl's own
# warnings at the end: they would end up in the user's ErrorLog.txt.
my $all_errors = '';

# Runs the plugin in $dir; returns exit code, standard output, standard error.
sub run_plugin {
    my ($dir, @args) = @_;
    my $pid = fork // die "fork: $!";
    if (!$pid) {
        chdir $dir or die "$dir: $!";
        open STDOUT, '>', "$tmp/out" or die;
        open STDERR, '>', "$tmp/err" or die;
        exec $perl, $plugin, @args or die "exec: $!";
    }
    waitpid $pid, 0;
    my $err = slurp("$tmp/err");
    $all_errors .= $err;
    return ($? >> 8, slurp("$tmp/out"), $err);
}

# The article file's records: hashes of the field lines (decoded) with the
# body lines in "body".
sub records {
    my ($bytes) = @_;
    my (@r, $cur, $in_body);
    for (split /\r\n/, u($bytes)) {
        if ($in_body) {
            if ($_ eq '.') { push @r, $cur; ($cur, $in_body) = (undef, 0) }
            else           { push @{$cur->{body}}, $_ }
        } elsif (/^([STNEIM]):(.*)\z/) {
            $cur->{$1} = $2;
            ($cur->{body}, $in_body) = ([$2], 1) if $1 eq 'M';
        }
    }
    return @r;
}

sub by_number { map { (split /,/, $_->{S})[0] => $_ } @_ }

sub append_post {
    my ($dat, $line) = @_;
    open my $fh, '>>:raw', $dat or die;
    print {$fh} sj("$line\n");
    close $fh;
}

sub set_count {
    my ($board, $key, $count) = @_;
    my $s = slurp("$board/subject.txt");
    $s =~ s/^(\Q$key\E\.dat<>.*)\((\d+)\)$/$1($count)/m or die "no thread $key";
    spew("$board/subject.txt", $s);
}

# The servers' output pipes are kept open: closing one waits for its server.
my (@server_pids, @server_pipes);
END { kill 'TERM', @server_pids if @server_pids }

sub start_server {
    my ($root) = @_;
    my $log = "$root.log";
    my $pid = open my $out, '-|', $perl, "$top/tests/plugins/textboard/board_server.pl", $root, $log
      or die "server: $!";
    push @server_pids, $pid;
    push @server_pipes, $out;
    my $port = <$out>;
    chomp $port;
    return ($port, $log);
}

sub requests {
    my ($log) = @_;
    my @r = map { [split /\t/, $_, -1] } split /\n/, slurp($log) // '';
    unlink $log;
    return @r;
}

subtest 'example board over file://' => sub {
    my $board = board_copy();
    my $g = group(URL => "file://$board/", PARAM2 => 0);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    is $err, '', 'nothing on standard error';
    like u($out), qr/\Asubject\.txt 取得中\r\n(スレッド \d\/3 取得中\r\n){3}新着 9 件\r\n\z/, 'progress lines in Shift_JIS ending CR LF';

    my $file = slurp("$g/board.cm\$");
    ok defined $file, 'article file named after the board folder';
    unlike $file, qr/(?<!\r)\n/, 'every line ends CR LF';
    like u($file), qr/\A#T:ふれあい雑談板\r\n#P:LIB\r\n/, 'board title from SETTING.TXT, post template';

    my %r = by_number(records($file));
    is_deeply [sort keys %r], [qw(1711929600-1 1711929600-2 1711929600-3 1711929600-4
                                  1712300000-1 1712300000-2 1712300000-3 1712650000-1 1712650000-2)],
      'one record per post, numbered KEY-N';
    is $r{'1712650000-1'}{S}, '1712650000-1,,2024/04/09,17:06:40', 'first post: no parent';
    is $r{'1712650000-1'}{T}, '近所の桜、咲きました？', 'first post carries the thread title';
    is $r{'1711929600-2'}{S}, '1711929600-2,1711929600-1,2024/04/01,09:12:45', 'reply: parent is the first post';
    is $r{'1711929600-2'}{T}, 'Re: この掲示板の使い方を教えてください', 'reply title';
    is $r{'1711929600-2'}{N}, '管理人 ◆Kanri.xyz', 'name';
    is $r{'1711929600-2'}{E}, 'sage', 'mail field';
    is $r{'1711929600-2'}{I}, 'ID:Adm1nQ2w', 'poster ID';
    is_deeply $r{'1711929600-2'}{body},
      ['>>1', 'はい、できます。', '届いたメールにそのまま返信すると、このスレッドへの書き込みになります。',
       '「<」や「&」、"引用符"もそのまま書けます。'],
      'body: <br> as line breaks, link tags dropped, entities decoded';
    like $file, qr/\Q${\ sj('唐揚げ定食！ ')}\E\xB3\xCF\xB0\(\xDF\x84\x74\xDF\)\r\n/,
      'half-width katakana kept as single CP932 bytes';

    like slurp("$g/textboard.state"), qr/\t4\r\n.*\t3\r\n.*\t2\r\n\z/s, 'state: posts delivered per thread';
    like slurp("$g/drwa_BBS.ini"), qr/\r\nPARAM2=9\r\nURL=file:[^\r\n]+\r\n\[OPTION\]\r\nSAVE_NUMBER=1\r\n\z/,
      'read position written, rest of the settings kept';

    unlink "$g/board.cm\$";    # converted by the library
    ($rc, $out) = run_plugin($g);
    is $rc, 0, 'second run: exit 0';
    ok !-e "$g/board.cm\$", 'second run: nothing new, no article file';

    my $dat = "$board/dat/1712300000.dat";
    append_post($dat, '名無しさん<><>24/04/07(日) 07:08:09 ID:New1<> 朝です <br> . <br> <b>太字</b> &#12354;&#9829; <>');
    set_count($board, 1712300000, 4);
    ($rc, $out) = run_plugin($g);
    my @new = records(slurp("$g/board.cm\$") // '');
    is scalar @new, 1, 'one post added: exactly one record';
    is $new[0]{S}, '1712300000-4,1712300000-1,2024/04/07,07:08:09', 'its number, parent and two-digit year';
    is_deeply $new[0]{body}, ['朝です', '. ', '太字 あ&#9829;'],
      'a lone "." cannot end the record; numeric references decoded where CP932 can';

    # The library did not convert that file (a failed receive): a further
    # post is added to it, the first stays.
    append_post($dat, '名無しさん<><>2024/04/07(日) 08:00:00<> もう一件 <>');
    set_count($board, 1712300000, 5);
    run_plugin($g);
    is_deeply [map { $_->{S} } records(slurp("$g/board.cm\$"))],
      ['1712300000-4,1712300000-1,2024/04/07,07:08:09', '1712300000-5,1712300000-1,2024/04/07,08:00:00'],
      'an article file left unconverted keeps its records';
};

subtest 'board over http://' => sub {
    my $root = "$tmp/www";
    copy_tree("$top/examples/board", "$root/board");
    # A thread listed whose dat is already gone, as when a thread drops off.
    spew("$root/board/subject.txt", sj("1799999999.dat<>消えたスレ (1)\n") . slurp("$root/board/subject.txt"));
    my ($port, $log) = start_server($root);

    my $g = group(URL => "http://127.0.0.1:$port/board/", PARAM1 => 3);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    my @req = requests($log);
    is_deeply [map { "$_->[0] $_->[1]" } @req],
      ['GET /board/SETTING.TXT', 'GET /board/subject.txt', 'GET /board/dat/1799999999.dat',
       'GET /board/dat/1712650000.dat', 'GET /board/dat/1712300000.dat'],
      'PARAM1 = 3: the three threads listed first, nothing else';
    like u($err), qr/スレッド 1799999999 の dat がありません/, 'a vanished thread is reported and passed over';
    like $req[0][2], qr/cm_TEXTBOARD/, 'User-Agent names the plugin';
    is scalar(records(slurp("$g/board.cm\$"))), 5, 'their five posts';
    like slurp("$g/drwa_BBS.ini"), qr{/board/\r\nPARAM2=5\r\n\[OPTION\]}, 'read position added after the last key';

    run_plugin($g);
    is_deeply [map { $_->[1] } requests($log)],
      ['/board/SETTING.TXT', '/board/subject.txt', '/board/dat/1799999999.dat'],
      'unchanged post counts: no dat fetched again';

    my $p = group(URL => 'http://board.invalid/board/', PROXY => "127.0.0.1:$port");
    ($rc) = run_plugin($p);
    is $rc, 0, 'through the proxy: exit 0';
    ok((grep { $_->[1] eq 'http://board.invalid/board/subject.txt' } requests($log)), 'request sent to the proxy');

    my $missing = group(URL => "http://127.0.0.1:$port/nothing/");
    ($rc, $out, $err) = run_plugin($missing);
    isnt $rc, 0, 'HTTP 404: non-zero exit';
    like u($err), qr{/nothing/subject\.txt を取得できません: 404}, 'HTTP 404: message names URL and status';
    ok !-e "$missing/textboard.state", 'HTTP 404: no state written';
};

subtest 'unusable settings fail with a message' => sub {
    my %cases = (
        'no URL'            => [{}, qr/板のアドレス\(URL\)が設定されていません/],
        'unreadable folder' => [{URL => "file://$tmp/no-such-board/"}, qr/no-such-board\/subject\.txt を読めません/],
        'other scheme'      => [{URL => 'ftp://example.org/b/'}, qr/http:\/\/ か file:\/\//],
        'PARAM1 not number' => [{URL => 'file:///x/', PARAM1 => 'abc'}, qr/PARAM1.*abc/],
    );
    for my $name (sort keys %cases) {
        my ($basic, $re) = @{$cases{$name}};
        my $g = group(%$basic);
        my ($rc, $out, $err) = run_plugin($g);
        isnt $rc, 0, "$name: non-zero exit";
        like u($err), $re, "$name: message on standard error";
        ok !-e "$g/textboard.state", "$name: no state written";
    }
    my ($rc, undef, $err) = run_plugin($tmp);
    ok $rc != 0 && u($err) =~ /drwa_BBS\.ini がありません/, 'no settings file';
};

# A request file as the library writes it: LF line ends, header block, one
# record per mail; ",," at the end of "S:" marks a request already carried out.
sub request_file {
    my ($path, @requests) = @_;
    my @lines = ('#T:', '#N:0', '#U:' . @requests, '#B:0', '#R:0', '#F:', '#P:');
    push @lines, @$_, '.' for @requests;
    spew($path, sj(join '', map { "$_\n" } @lines));
}

subtest 'post requests on a board on disk' => sub {
    my $board = board_copy();
    my $g = group(URL => "file://$board/", NAME => 'テスト太郎', EMAIL => 'sage');
    request_file("$g/board.cmw",
        ['S:*,1712650000-1,24/04/11, 9:05,,', 'T:Re: x', 'M:already posted'],
        ['S:*,1711929600-3,24/04/11, 9:05,U,', 'T:Re: x', 'M:僕も試しました。', '<b>タグ</b> & "引用"', '. '],
        ['S:*,*,24/04/11,13:05,U,', 'T:新しい話題です', 'M:スレッドを立ててみました。'],
        ['S:*,nonsense,24/04/11,13:06,U,', 'T:Re: x', 'M:どこへ？']);
    # The library never prunes a file named ".cmw", so it is not ours to carry out.
    request_file("$g/.cmw", ['S:*,1711929600-1,24/04/11,13:07,U,', 'T:Re: x', 'M:宛先なし']);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0';

    my @cmw = split /\n/, u(slurp("$g/board.cmw"));
    is_deeply [grep { /^S:/ } @cmw],
      ['S:*,1712650000-1,24/04/11, 9:05,,', 'S:*,1711929600-3,24/04/11,9:05,,', 'S:*,*,24/04/11,13:05,,',
       'S:*,nonsense,24/04/11,13:06,U,'],
      'posted requests marked ",,", the unusable one left pending';
    like u($err), qr/\A[^\n]*nonsense はこの板の記事番号ではありません\r\n\z/,
      'the unusable one is reported, nothing else';

    my @dat = split /\n/, u(slurp("$board/dat/1711929600.dat"));
    is scalar @dat, 5, 'the reply is appended once, the ".cmw" request not at all';
    like $dat[4], qr{^テスト太郎<>sage<>\d{4}/\d\d/\d\d\(.\) \d\d:\d\d:\d\d<>}, 'name, mail and date fields';
    is((split /<>/, $dat[4])[3], ' 僕も試しました。 <br> &lt;b&gt;タグ&lt;/b&gt; &amp; &quot;引用&quot; <br> .  ',
       'body escaped, lines joined with <br>');

    my @subject = split /\n/, u(slurp("$board/subject.txt"));
    like $subject[0], qr/^(\d+)\.dat<>新しい話題です \(1\)\z/, 'new thread listed first';
    my ($key) = $subject[0] =~ /^(\d+)/;
    is $subject[-1], '1711929600.dat<>この掲示板の使い方を教えてください (5)', 'sage: counted, not moved up';
    like u(slurp("$board/dat/$key.dat")), qr/^テスト太郎<>sage<>[^<]+<> スレッドを立ててみました。 <>新しい話題です\n\z/,
      'new thread dat with its title';

    my %r = by_number(records(slurp("$g/board.cm\$")));
    is_deeply $r{'1711929600-5'}{body}, ['僕も試しました。', '<b>タグ</b> & "引用"', '. '],
      'the posted reply comes back as written';
    is $r{"$key-1"}{T}, '新しい話題です', 'the new thread comes back';

    run_plugin($g);
    is scalar(() = slurp("$board/dat/1711929600.dat") =~ /\n/g), 5, 'a marked request is not posted again';
};

subtest 'post requests over http://' => sub {
    my $root = "$tmp/www2";
    copy_tree("$top/examples/board", "$root/board");
    make_path("$root/test");
    my ($port, $log) = start_server($root);
    my $g = group(URL => "http://127.0.0.1:$port/board/", NAME => '名無し');

    spew("$root/test/bbs.cgi", sj('<html><head><title>書きこみました。</title></head></html>'));
    request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:05,U,', 'T:Re: x', 'M:満開です', '二行目']);
    my ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'exit 0' or diag u($err);
    my ($post) = grep { $_->[0] eq 'POST' } requests($log);
    is $post->[1], '/test/bbs.cgi', 'posted to the server\'s bbs.cgi';
    my %form = map { my ($k, $v) = split /=/, $_, 2; $v =~ tr/+/ /; $v =~ s/%(..)/chr hex $1/ge; ($k => u($v)) }
               split /&/, $post->[3] // '';
    is_deeply [@form{qw(bbs key FROM MESSAGE)}], ['board', '1712650000', '名無し', "満開です\r\n二行目"],
      'form fields in Shift_JIS';
    like u(slurp("$g/board.cmw")), qr/^S:\*,1712650000-1,24\/04\/11,13:05,,$/m, 'marked handled';

    spew("$root/test/bbs.cgi", sj('<html><head><title>ＥＲＲＯＲ！</title></head></html>'));
    request_file("$g/board.cmw", ['S:*,1712650000-1,24/04/11,13:06,U,', 'T:Re: x', 'M:もう一度']);
    ($rc, $out, $err) = run_plugin($g);
    is $rc, 0, 'a refused post does not fail the receive';
    like u($err), qr/投稿を送れませんでした.*ＥＲＲＯＲ！/, 'the board\'s answer is reported';
    like u(slurp("$g/board.cmw")), qr/,U,$/m, 'and the request stays pending';
};

subtest 'dialog run' => sub {
    my $g = group(URL => 'file:///x/');
    my ($rc) = run_plugin($g, 'i');
    is $rc, 0, 'exit 0';
    my $ini = u(slurp("$g/drwa_BBS.ini"));
    like $ini, qr/\A\[BASIC\]\r\nGUID=.*\r\nURL=file:\/\/\/x\/\r\n\[OPTION\]\r\nSAVE_NUMBER=1\r\n\[DIALOG\]\r\n/,
      'settings kept, [DIALOG] added';
    like $ini, qr/\r\nURL=1\r\n_URL=板のアドレス[^\r\n]*\r\n/, 'field switch and label';
    like $ini, qr/\r\n_PARAM2=既読件数\(受信のたびに更新\)\(&D\):\r\n/, 'label intact';
};

unlike $all_errors, qr/ at \S+ line \d+/, 'the plugin never warned or died inside Perl';

done_testing;
